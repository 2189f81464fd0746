// The program started on a file loads the media libraries only when the file is media, and the
// print support only on the first print: a picture neither waits for them nor holds their memory.
#include "media/MediaFixtures.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

// Tells when some process opens a given file of a folder.
class OpenWatch {
  public:
    OpenWatch(const QString& folder, std::string name)
        : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), name_(std::move(name)) {
        EXPECT_GE(inotify_add_watch(fd_, folder.toLocal8Bit().constData(), IN_OPEN), 0);
    }
    ~OpenWatch() { close(fd_); }
    OpenWatch(const OpenWatch&) = delete;
    OpenWatch& operator=(const OpenWatch&) = delete;

    bool opened() {
        alignas(inotify_event) char buffer[4096];
        for (ssize_t got; (got = read(fd_, buffer, sizeof buffer)) > 0;) {
            for (const char* at = buffer; at < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                seen_ = seen_ || (event->len > 0 && name_ == event->name);
                at += sizeof(inotify_event) + event->len;
            }
        }
        return seen_;
    }

  private:
    int fd_;
    std::string name_;
    bool seen_ = false;
};

QString mappedFiles(qint64 pid) {
    QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
    return maps.open(QIODevice::ReadOnly) ? QString::fromUtf8(maps.readAll()) : QString();
}

TEST(StartUpLibraries, MediaLibrariesLoadOnlyForMedia) {
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("photo.jpg"));
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(picture));
    // Its neighbour in the folder, which the program decodes ahead once the picture is shown.
    ASSERT_TRUE(image.save(dir.filePath(QStringLiteral("photo2.jpg"))));
    const QString sound = dir.filePath(QStringLiteral("tone.wav"));
    std::ofstream(sound.toStdString(), std::ios::binary) << velmoa::testing::wavBytes(3000);

    struct Row {
        QString file;
        bool mediaLoaded;
    };
    const Row rows[] = {{picture, false}, {sound, true}};
    for (const Row& row : rows) {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
        program.setProcessEnvironment(environment);
        OpenWatch neighbourOpened(dir.path(), "photo2.jpg");
        program.start(QStringLiteral(VELMOA_PROGRAM), {row.file});
        ASSERT_TRUE(program.waitForStarted());
        const auto mpvMapped = [&] {
            return mappedFiles(program.processId()).contains(QStringLiteral("libmpv"));
        };
        if (row.mediaLoaded) {
            EXPECT_TRUE(QTest::qWaitFor(mpvMapped, 10000)) << row.file.toStdString();
        } else {
            // Everything the start-up and the opening load has been loaded once the picture is
            // shown, which the decode of its neighbour follows.
            ASSERT_TRUE(QTest::qWaitFor([&] { return neighbourOpened.opened(); }, 10000));
            const QString maps = mappedFiles(program.processId());
            EXPECT_TRUE(maps.contains(QStringLiteral("libQt6Widgets"))) << "still running";
            EXPECT_FALSE(maps.contains(QStringLiteral("libmpv"))) << row.file.toStdString();
            EXPECT_FALSE(maps.contains(QStringLiteral("libfluidsynth"))) << row.file.toStdString();
            EXPECT_FALSE(maps.contains(QStringLiteral("libQt6PrintSupport"))) << row.file.toStdString();
            EXPECT_FALSE(maps.contains(QStringLiteral("libcups"))) << row.file.toStdString();
            EXPECT_FALSE(maps.contains(QStringLiteral("libvelmoa-print"))) << row.file.toStdString();
        }
        program.kill();
        program.waitForFinished();
    }
}

} // namespace
