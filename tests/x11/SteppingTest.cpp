// Stepping through a folder in full screen with pictures prepared ahead, under a real X server.
#include "FormHarness.h"
#include "PostedEvents.h"

#include "controls/ImageControl.h"
#include "controls/Panel.h"
#include "formats/image/JpegPictureData.h"
#include "picture/DecodeAhead.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <optional>

using namespace velmoa;
using namespace velmoa::testing;

namespace {
class Stepping : public FormTest {
  protected:
    void SetUp() override {
        FormTest::SetUp();
        form = std::make_unique<TzorvForm1>(FormServices{&chooser, &desktop, nullptr, &media, &ahead});
    }
    DecodeAhead ahead;
};

bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) < 40 && std::abs(qGreen(a) - qGreen(b)) < 40 &&
           std::abs(qBlue(a) - qBlue(b)) < 40;
}
} // namespace

TEST_F(Stepping, EachStepInFullScreenShowsItsWholePicture) {
    const Qt::GlobalColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    std::vector<std::string> paths;
    paths.reserve(std::size(colours));
    for (int i = 0; i < 4; ++i) {
        paths.push_back(writeJpeg(dir, "p" + std::to_string(i) + ".jpg", 2400, 1600, colours[i]));
    }
    showForm({paths[0]});
    form->ActFullScreen->trigger();
    const QSize screen = QGuiApplication::primaryScreen()->size();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->centralWidget()->size() == screen; }, 10000));

    const struct {
        const char* keys;
        int shown;
    } steps[] = {{"Ctrl+N", 1}, {"Ctrl+N", 2}, {"Ctrl+N", 3}, {"Ctrl+N", 0}, {"Ctrl+B", 3}, {"Ctrl+B", 2}};
    for (const auto& step : steps) {
        press(step.keys);
        EXPECT_EQ(counter(), std::to_string(step.shown + 1) + "/4");
        // Corners and centre of the picture's place, from the window as it is drawn.
        const QRgb expected = QColor(colours[step.shown]).rgb();
        const auto wrongAt = [&]() -> std::optional<QPoint> {
            const QImage window = form->grab().toImage();
            const QRect box = form->P1->geometry().translated(form->centralWidget()->pos());
            for (const QPoint at :
                 {box.topLeft() + QPoint(4, 4), box.center(), box.bottomRight() - QPoint(4, 4)}) {
                if (!near(window.pixel(at), expected)) {
                    return at;
                }
            }
            return std::nullopt;
        };
        EXPECT_TRUE(QTest::qWaitFor([&] { return !wrongAt(); }, 10000))
            << step.keys << " to " << step.shown << " wrong at "
            << (wrongAt() ? QStringLiteral("%1,%2").arg(wrongAt()->x()).arg(wrongAt()->y()).toStdString()
                          : "");
    }
    EXPECT_GT(ahead.counts().ready + ahead.counts().running, 0);
    EXPECT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join('\n').toStdString();
}

namespace {
// A picture in one colour under fine grain: slow enough to decode that a held key outruns it.
std::string writeGrainyJpeg(const QTemporaryDir& dir, const std::string& name, QColor colour) {
    QImage image(3000, 2000, QImage::Format_RGB32);
    std::uint32_t seed = static_cast<std::uint32_t>(colour.rgb());
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = static_cast<int>(seed >> 28) - 8;
            line[x] =
                qRgb(std::clamp(colour.red() + grain, 0, 255), std::clamp(colour.green() + grain, 0, 255),
                     std::clamp(colour.blue() + grain, 0, 255));
        }
    }
    std::string path = dir.path().toStdString() + "/" + name;
    EXPECT_TRUE(image.save(QString::fromStdString(path), "JPEG", 95));
    return path;
}

} // namespace

TEST_F(Stepping, AHeldKeyStepsPastPicturesStillDecodingAndShowsTheLastOne) {
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan, Qt::magenta};
    std::vector<std::string> paths;
    paths.reserve(std::size(colours));
    for (int i = 0; i < 6; ++i) {
        paths.push_back(writeGrainyJpeg(dir, "g" + std::to_string(i) + ".jpg", colours[i]));
    }
    showForm({paths[0]});
    ASSERT_TRUE(QTest::qWaitFor([&] { return ahead.preparedPaths().size() == 2; }, 10000));
    ahead.waitUntilPrepared();
    const QRect box = form->P1->geometry().translated(form->centralWidget()->pos());
    const auto onScreen = [&] {
        return QGuiApplication::primaryScreen()->grabWindow(form->winId()).toImage().pixel(box.center());
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return near(onScreen(), colours[0].rgb()); }, 10000));
    ASSERT_TRUE(deliverPostedEvents());

    // Key repeats as the system delivers them: each one through the event loop, a few ms apart.
    // The pictures a key steps past while their pixels are still coming are kept, to check that
    // none of them was ever drawn.
    constexpr int kKeys = 9;
    int sent = 0;
    std::vector<Picture> steppedPastPending;
    QTimer repeat;
    repeat.setInterval(3);
    QObject::connect(&repeat, &QTimer::timeout, [&] {
        if (sent++ < kKeys) {
            if (form->Image2->picture().pixelsPending()) {
                steppedPastPending.push_back(form->Image2->picture());
            }
            QTest::keyClick(form.get(), Qt::Key_N, Qt::ControlModifier);
        } else {
            repeat.stop();
        }
    });
    repeat.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !repeat.isActive(); }, 10000));
    const int last = kKeys % 6;
    EXPECT_EQ(this->counter(), std::to_string(last + 1) + "/6");

    // The last picture shows on screen once decoded...
    EXPECT_TRUE(QTest::qWaitFor([&] { return near(onScreen(), colours[last].rgb()); }, 10000))
        << std::hex << onScreen();
    // ...and the pictures stepped past while decoding were never drawn (nor waited for).
    for (const Picture& picture : steppedPastPending) {
        const auto& jpeg = dynamic_cast<const JpegPictureData&>(*picture.data());
        EXPECT_EQ(jpeg.decodeCount() + jpeg.decodedScale(), 0);
        EXPECT_FALSE(jpeg.decodedFromPreview());
    }
    EXPECT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join('\n').toStdString();
}
