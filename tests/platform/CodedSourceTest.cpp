#include "base/CodedSource.h"

#include "platform/FileCodedSource.h"
#include "platform/ReadOnlyFile.h"

#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>

using namespace velmoa;

namespace {

const std::string kDigits = "0123456789";

std::string writeText(const QTemporaryDir& dir, const std::string& name, const std::string& bytes) {
    std::string path = dir.path().toStdString() + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string readAt(const CodedSource& source, std::uint64_t offset, std::size_t length) {
    std::string out(length, '?');
    out.resize(source.readAt(offset, out.data(), length));
    return out;
}

std::unique_ptr<FileCodedSource> openSource(const std::string& path) {
    ReadOnlyFile file(path);
    EXPECT_TRUE(file.isOpen()) << path;
    auto source = std::make_unique<FileCodedSource>(file);
    EXPECT_FALSE(file.isOpen()); // the descriptor now belongs to the source
    return source;
}

} // namespace

TEST(CodedSource, ReadsWhatLiesAtAnOffsetAndNothingPastTheEnd) {
    QTemporaryDir dir;
    const auto file = openSource(writeText(dir, "digits", kDigits));
    const MemoryCodedSource memory(kDigits);
    const MemoryCodedSource padded("ab" + kDigits + "cd");
    const CodedSlice slice(padded, 2, 10);
    const struct {
        std::uint64_t offset;
        std::size_t length;
        std::string expected;
    } rows[] = {
        {0, 10, kDigits}, {3, 4, "3456"}, {8, 5, "89"}, {10, 1, ""}, {400, 3, ""}, {0, 0, ""},
    };
    for (const CodedSource* source :
         {static_cast<const CodedSource*>(file.get()), static_cast<const CodedSource*>(&memory),
          static_cast<const CodedSource*>(&slice)}) {
        EXPECT_EQ(source->size(), 10u);
        for (const auto& row : rows) {
            EXPECT_EQ(readAt(*source, row.offset, row.length), row.expected)
                << "at " << row.offset << " for " << row.length;
        }
    }
    // A slice is cut to what its source holds, and a slice of a slice counts from its own start.
    const CodedSlice pastTheEnd(memory, 8, 100);
    EXPECT_EQ(pastTheEnd.size(), 2u);
    EXPECT_EQ(readAt(pastTheEnd, 0, 10), "89");
    EXPECT_EQ(CodedSlice(memory, 20, 5).size(), 0u);
    EXPECT_EQ(readAt(CodedSlice(slice, 4, 3), 0, 10), "456");
}

TEST(CodedSource, KeepsReadingTheFileItOpenedWhateverHappensToItsName) {
    QTemporaryDir dir;
    const std::string path = writeText(dir, "picture", kDigits);
    const std::string other = writeText(dir, "other", "abcdefghij");

    const auto replaced = openSource(path);
    std::filesystem::rename(other, path);
    EXPECT_EQ(readAt(*replaced, 0, 10), kDigits);

    const auto removed = openSource(path);
    std::filesystem::remove(path);
    EXPECT_EQ(readAt(*removed, 0, 10), "abcdefghij");
}

TEST(CodedSource, AFileThatShrankEndsEarlyWithoutFailing) {
    QTemporaryDir dir;
    const std::string path = writeText(dir, "picture", kDigits);
    const auto source = openSource(path);
    std::filesystem::resize_file(path, 4);
    EXPECT_EQ(source->size(), 10u); // as it was opened
    EXPECT_EQ(readAt(*source, 2, 8), "23");
    EXPECT_EQ(readAt(*source, 6, 4), "");
}
