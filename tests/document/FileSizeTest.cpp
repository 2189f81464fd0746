#include "document/FileSize.h"

#include "base/Failure.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

using namespace velmoa;

namespace {
std::string messageOf(const std::string& path) {
    try {
        fileSizeOf(path);
    } catch (const Failure& failure) {
        return failure.what();
    }
    return "(no failure)";
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}
} // namespace

TEST(FileSize, ReportsWhyAFileCannotBeSized) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string base = dir.path().toStdString() + "/";
    writeFile(base + "plain", "abc");
    writeFile(base + "locked", "abc");
    ::chmod((base + "locked").c_str(), 0);
    ::mkdir((base + "folder.jpg").c_str(), 0755);
    ASSERT_EQ(::mkfifo((base + "pipe").c_str(), 0644), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = base + "sock";
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    const bool haveSocket = socketPath.size() < sizeof address.sun_path &&
                            ::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;

    struct Row {
        std::string path, message;
        bool run;
    };
    const Row rows[] = {
        {base + "missing", "File not found", true},
        {"", "File not found", true},
        {base + "plain/inner", "Invalid filename", true}, // a file used as a folder
        {base + std::string(300, 'n'), "Invalid filename", true},
        {base + "folder.jpg", "File access denied", true},
        {base + "locked", "File access denied", ::geteuid() != 0}, // root reads it anyway
        {base + "pipe", "Not a regular file", true},               // must not block
        {socketPath, "Not a regular file", haveSocket},
        {"/dev/null", "Not a regular file", true},
    };
    for (const auto& row : rows) {
        if (row.run) {
            EXPECT_EQ(messageOf(row.path), row.message) << row.path;
        }
    }
    ::close(sock);
}

TEST(FileSize, ReportsTooManyOpenFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.path().toStdString() + "/a.txt";
    writeFile(path, "abc");
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit none = saved;
    none.rlim_cur = 0;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &none), 0);
    const std::string message = messageOf(path);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(message, "Too many open files");
}

TEST(FileSize, GivesSizesBeyondTwoGigabytes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string base = dir.path().toStdString() + "/";
    writeFile(base + "empty", "");
    writeFile(base + "three", "abc");
    // Sparse: no disk space is used.
    const int fd = ::open((base + "big").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, std::int64_t{3} << 30), 0);
    ::close(fd);
    const std::pair<std::string, std::int64_t> rows[] = {
        {"empty", 0},
        {"three", 3},
        {"big", 3221225472},
    };
    for (const auto& [name, size] : rows) {
        EXPECT_EQ(fileSizeOf(base + name), size) << name;
    }
}
