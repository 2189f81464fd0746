// A shown JPEG is read from the file that was opened, even after its name was given to another file.
#include "FormHarness.h"

#include "controls/ImageControl.h"
#include "controls/Panel.h"
#include "formats/image/JpegPictureData.h"
#include "picture/DecodeAhead.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <filesystem>

using namespace velmoa;
using namespace velmoa::testing;

namespace {
class ShownFileChanges : public FormTest {
  protected:
    void SetUp() override {
        FormTest::SetUp();
        form = std::make_unique<TzorvForm1>(FormServices{&chooser, &desktop, nullptr, &media, &ahead});
    }
    DecodeAhead ahead;
};
} // namespace

// Full screen outgrows the scale decoded for the window, so the picture is decoded again: from the
// file it was loaded from, whole, not from what its name holds now.
TEST_F(ShownFileChanges, FullScreenAfterTheFileWasReplacedShowsTheLoadedPictureWhole) {
    const std::string shown = writeJpeg(dir, "p0.jpg", 2400, 1600, Qt::red);
    const std::string replacement = writeJpeg(dir, "new.jpg", 2400, 1600, Qt::blue);
    showForm({shown});
    const auto& data = dynamic_cast<const JpegPictureData&>(*form->Image2->picture().data());
    // Drawn in the window first: its pixels are those of the scale the window needs.
    ASSERT_TRUE(QTest::qWaitFor([&] { return data.decodedScale() > 0; }, 10000));
    const int scaleInWindow = data.decodedScale();
    std::filesystem::rename(replacement, shown);

    form->ActFullScreen->trigger();
    const QSize screen = QGuiApplication::primaryScreen()->size();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->centralWidget()->size() == screen; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return data.decodedScale() > scaleInWindow; }, 10000));
    const QImage window = form->grab().toImage();
    const QRect box = form->P1->geometry().translated(form->centralWidget()->pos());
    for (const QPoint at : {box.topLeft() + QPoint(4, 4), box.center(), box.bottomRight() - QPoint(4, 4)}) {
        const QColor colour = window.pixelColor(at);
        EXPECT_TRUE(colour.red() > 200 && colour.green() < 50 && colour.blue() < 50)
            << at.x() << "," << at.y() << ": " << colour.name().toStdString();
    }
    EXPECT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join('\n').toStdString();
}
