#pragma once

#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <system_error>

namespace velmoa::testing {

// A temporary folder that goes whole, also when it holds names that are not UTF-8 (Shift-JIS, as
// users' files have them): QTemporaryDir decodes the names it lists and then cannot find those
// files to delete them, so such a folder would stay behind in /tmp after every run.
class TemporaryFolder : public QTemporaryDir {
  public:
    TemporaryFolder() = default;
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    ~TemporaryFolder() {
        if (isValid() && autoRemove()) {
            std::error_code ignored; // what cannot go stays, as with QTemporaryDir
            std::filesystem::remove_all(QFile::encodeName(path()).toStdString(), ignored);
        }
    }
};

} // namespace velmoa::testing
