// Listing and sorting a camera-sized folder of 10 000 files, against Qt's own listing with a
// name filter and a numeric collator in the same run.
#include "picture/FolderPictureList.h"

#include <QCollator>
#include <QDir>
#include <QStringList>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {
class Folder {
  public:
    Folder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "velmoa-bench-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
        path_ += "/";
        // Mostly camera names, some hand-named pictures, a tenth that are not pictures.
        for (int i = 0; i < 10000; ++i) {
            char name[64];
            if (i % 10 == 9) {
                std::snprintf(name, sizeof name, "notes%d.txt", i);
            } else if (i % 10 == 5) {
                std::snprintf(name, sizeof name, "Holiday %d.jpeg", i);
            } else {
                std::snprintf(name, sizeof name, "%s_%05d.%s", i % 2 ? "IMG" : "dsc", i,
                              i % 3 ? "JPG" : "jpg");
            }
            std::FILE* file = std::fopen((path_ + name).c_str(), "wb");
            std::fclose(file);
        }
    }
    ~Folder() { std::filesystem::remove_all(path_); }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

const Folder& folder() {
    static const Folder instance;
    return instance;
}

void BM_ListFolderPictures(benchmark::State& state) {
    const std::string& path = folder().path();
    for (auto _ : state) {
        auto list = velmoa::listFolderPictures(path);
        benchmark::DoNotOptimize(list.data());
        state.counters["pictures"] = static_cast<double>(list.size());
    }
}
BENCHMARK(BM_ListFolderPictures)->Unit(benchmark::kMillisecond);

void BM_QDirEntryListWithCollator(benchmark::State& state) {
    const QString path = QString::fromStdString(folder().path());
    const QStringList filters = {"*.jpeg", "*.jpg", "*.bmp", "*.wmf", "*.emf", "*.ico"};
    for (auto _ : state) {
        QDir dir(path);
        QStringList names = dir.entryList(filters, QDir::Files | QDir::Readable, QDir::NoSort);
        QCollator collator;
        collator.setNumericMode(true);
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        std::sort(names.begin(), names.end(), collator);
        benchmark::DoNotOptimize(names.data());
        state.counters["pictures"] = static_cast<double>(names.size());
    }
}
BENCHMARK(BM_QDirEntryListWithCollator)->Unit(benchmark::kMillisecond);
} // namespace
