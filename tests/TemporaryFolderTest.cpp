#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

using velmoa::testing::TemporaryFolder;

// Files and folders named in Shift-JIS (not valid UTF-8) are removed with the folder.
TEST(TemporaryFolder, GoesWholeWithNamesThatAreNotUtf8) {
    std::string root;
    {
        TemporaryFolder folder;
        ASSERT_TRUE(folder.isValid());
        root = QFile::encodeName(folder.path()).toStdString();
        const std::string inner = root + "/\x93\xFA.d";
        std::filesystem::create_directory(inner);
        std::ofstream(inner + "/\x83\x65\x83\x58\x83\x67.m3u") << "x";
        std::ofstream(root + "/\x93\xFA.JPG") << "x";
        ASSERT_TRUE(std::filesystem::exists(inner + "/\x83\x65\x83\x58\x83\x67.m3u"));
    }
    EXPECT_FALSE(std::filesystem::exists(root)) << root;
}
