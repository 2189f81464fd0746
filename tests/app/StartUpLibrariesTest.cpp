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

namespace {

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
        program.start(QStringLiteral(VELMOA_PROGRAM), {row.file});
        ASSERT_TRUE(program.waitForStarted());
        const auto mpvMapped = [&] {
            return mappedFiles(program.processId()).contains(QStringLiteral("libmpv"));
        };
        if (row.mediaLoaded) {
            EXPECT_TRUE(QTest::qWaitFor(mpvMapped, 10000)) << row.file.toStdString();
        } else {
            // Long enough for the window to show the picture.
            QTest::qWait(1500);
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
