#include "picture/FolderPictureList.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace velmoa;
using velmoa::testing::TemporaryFolder;

namespace {
void touch(const std::string& path) {
    std::ofstream(path, std::ios::binary) << "x";
}

std::string currentDirectory() {
    char buffer[4096];
    return ::getcwd(buffer, sizeof buffer) != nullptr ? buffer : "";
}
} // namespace

TEST(FolderPictureList, ListsPictureFilesInNaturalOrder) {
    TemporaryFolder dir;
    ASSERT_TRUE(dir.isValid());
    const std::string folder = dir.path().toStdString() + "/";
    for (const char* name :
         {"b.JPG", "a.Jpeg", "c.bmp", "d.jpe", "e.tif", "f.jpg.txt", "img10.jpg", "img2.jpg", ".h.jpg",
          ".jpg", "jpg", "s.jpg ", "\x93\xFA.JPG", "\xE6\x97\xA5.ico", "k.jpg.", "u.emf"}) {
        touch(folder + name);
    }
    touch(folder + "r.ico");
    ::chmod((folder + "r.ico").c_str(), 0444);
    ::chmod((folder + "u.emf").c_str(), 0);
    ::mkdir((folder + "x.jpg").c_str(), 0755);
    ::mkfifo((folder + "p.jpg").c_str(), 0644);
    ::symlink("c.bmp", (folder + "l.wmf").c_str());   // a link to a file counts as the file
    ::symlink("x.jpg", (folder + "m.emf").c_str());   // a link to a folder does not
    ::symlink("missing", (folder + "n.ico").c_str()); // nor does a broken one

    std::vector<std::string> expected;
    for (const char* name : {"a.Jpeg", "b.JPG", "c.bmp", "img2.jpg", "img10.jpg", "l.wmf", "r.ico"}) {
        expected.push_back(folder + name);
    }
    expected.push_back(folder + "u.emf");        // unreadable: it fails when shown
    expected.push_back(folder + "\x93\xFA.JPG"); // names keep their bytes, Shift-JIS or UTF-8
    expected.push_back(folder + "\xE6\x97\xA5.ico");
    EXPECT_EQ(listFolderPictures(folder), expected);
}

TEST(FolderPictureList, ListsTheCurrentDirectoryForAnEmptyFolderPart) {
    TemporaryFolder dir;
    ASSERT_TRUE(dir.isValid());
    const std::string folder = dir.path().toStdString() + "/";
    touch(folder + "b.bmp");
    touch(folder + "a.jpg");
    touch(folder + "c.txt");
    const std::string saved = currentDirectory();
    ASSERT_EQ(::chdir(folder.c_str()), 0);
    const auto list = listFolderPictures("");
    ASSERT_EQ(::chdir(saved.c_str()), 0);
    EXPECT_EQ(list, (std::vector<std::string>{"a.jpg", "b.bmp"}));
}

TEST(FolderPictureList, GivesAnEmptyListForAFolderThatCannotBeRead) {
    TemporaryFolder dir;
    ASSERT_TRUE(dir.isValid());
    const std::string folder = dir.path().toStdString() + "/";
    touch(folder + "file.jpg");
    ::mkdir((folder + "locked").c_str(), 0755);
    touch(folder + "locked/a.jpg");
    ::chmod((folder + "locked").c_str(), 0);
    ::mkdir((folder + "empty").c_str(), 0755);
    struct Row {
        std::string folder;
        bool run;
    };
    const Row rows[] = {
        {folder + "missing/", true},
        {folder + "file.jpg/", true},
        {folder + "empty/", true},
        {folder + "locked/", ::geteuid() != 0},
    };
    for (const auto& row : rows) {
        if (row.run) {
            EXPECT_TRUE(listFolderPictures(row.folder).empty()) << row.folder;
        }
    }
    ::chmod((folder + "locked").c_str(), 0755);
}

TEST(FolderPictureList, FindsThePositionOfAPath) {
    const std::vector<std::string> list = {"/p/a.jpg", "/p/b.jpg", "/p/B.jpg"};
    const std::pair<std::string, int> rows[] = {
        {"/p/a.jpg", 0}, {"/p/B.jpg", 2}, {"/p/c.jpg", -1}, {"a.jpg", -1}, {"", -1},
    };
    for (const auto& [path, index] : rows) {
        EXPECT_EQ(indexOfPath(list, path), index) << path;
    }
    EXPECT_EQ(indexOfPath({}, "/p/a.jpg"), -1);
}
