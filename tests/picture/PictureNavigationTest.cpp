#include "FormHarness.h"

#include "app/ApplicationCursor.h"
#include "app/Colours.h"
#include "controls/ImageControl.h"
#include "controls/Panel.h"
#include "controls/SecondsBox.h"
#include "formats/image/JpegPictureData.h"

#include <QAction>
#include <QLineEdit>
#include <QTest>
#include <sys/stat.h>

using namespace velmoa;
using namespace velmoa::testing;

namespace {
class PictureNavigation : public FormTest {
  protected:
    // A folder of n JPEGs p1.jpg … pn.jpg, listed in that (natural) order.
    std::vector<std::string> makeFolder(int n) {
        std::vector<std::string> paths;
        for (int i = 1; i <= n; ++i) {
            paths.push_back(writeJpeg(dir, "p" + std::to_string(i) + ".jpg", 40 + i, 30));
        }
        return paths;
    }
    int shownWidth() const { return form->Image1->picture().width(); }
};
} // namespace

TEST_F(PictureNavigation, OpeningMakesTheOpenedFileCurrentAndSteppingWraps) {
    const auto paths = makeFolder(3);
    showForm({paths[2]});
    EXPECT_EQ(form->CurrentIndex, 2);
    EXPECT_EQ(counter(), "3/3");
    EXPECT_EQ(caption(), " Velmoa        manu       p3.jpg");
    EXPECT_FALSE(form->JustOpened);
    EXPECT_EQ(shownWidth(), 43);

    struct Step {
        QAction* TzorvForm1::*action;
        const char* counter;
        int width;
    };
    const Step steps[] = {{&TzorvForm1::ActNext, "1/3", 41},
                          {&TzorvForm1::ActBack, "3/3", 43},
                          {&TzorvForm1::ActBack, "2/3", 42},
                          {&TzorvForm1::ActNext, "3/3", 43}};
    for (const Step& step : steps) {
        (form.get()->*step.action)->trigger();
        EXPECT_EQ(counter(), step.counter);
        EXPECT_EQ(shownWidth(), step.width);
    }
    EXPECT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join('\n').toStdString();
}

TEST_F(PictureNavigation, SlideshowRunsByTicksAndStopsByShortcutWithTheToolBarHidden) {
    const auto paths = makeFolder(3);
    showForm({paths[0]});
    form->SpinEdit1->setValue(10);
    form->ActStart->trigger();
    EXPECT_TRUE(form->Timer1.isActive());
    EXPECT_EQ(form->Timer1.interval(), 10000);
    EXPECT_EQ(caption(), " Velmoa        auto        p1.jpg");
    EXPECT_EQ(form->counterColour(), clRed);
    EXPECT_FALSE(form->ActStart->isEnabled());
    EXPECT_TRUE(form->ActStop->isEnabled());
    EXPECT_FALSE(form->ActPrint->isEnabled());
    EXPECT_FALSE(form->ButtonPanel1->isVisible());
    EXPECT_TRUE(applicationCursorHidden());

    form->SpinEdit1->findChild<QLineEdit*>()->setText(QStringLiteral("99"));
    tick();
    EXPECT_EQ(form->Timer1.interval(), 60000);
    EXPECT_EQ(caption(), " Velmoa        auto        p2.jpg");
    EXPECT_EQ(counter(), "2/3");

    press("Ctrl+P");
    EXPECT_FALSE(form->Timer1.isActive());
    EXPECT_EQ(caption(), " Velmoa        manu       p2.jpg");
    EXPECT_EQ(form->counterColour(), clAqua);
    EXPECT_TRUE(form->ActPrint->isEnabled());
    EXPECT_FALSE(form->ButtonPanel1->isVisible());
    EXPECT_TRUE(applicationCursorHidden());
}

TEST_F(PictureNavigation, MousePressesStepOrToggleTheToolBar) {
    const auto paths = makeFolder(3);
    showForm({paths[0]});
    form->ActStart->trigger();
    form->Image2MouseDown(Qt::RightButton);
    EXPECT_TRUE(form->ButtonPanel1->isVisible());
    EXPECT_FALSE(applicationCursorHidden());
    form->BP1MouseDown(Qt::RightButton);
    EXPECT_FALSE(form->ButtonPanel1->isVisible());
    EXPECT_TRUE(applicationCursorHidden());
    EXPECT_TRUE(form->Timer1.isActive());

    form->BP1MouseDown(Qt::MiddleButton);
    EXPECT_EQ(counter(), "1/3");

    QTest::mouseClick(form->Image2, Qt::LeftButton);
    EXPECT_FALSE(form->Timer1.isActive());
    EXPECT_EQ(counter(), "2/3");
    EXPECT_FALSE(form->ButtonPanel1->isVisible());
    EXPECT_EQ(caption(), " Velmoa        manu       p2.jpg");
}

TEST_F(PictureNavigation, AFailingPictureMidSlideshowIsReportedAndTheShowGoesOn) {
    auto paths = makeFolder(3);
    writeFile(dir, "p2.jpg", "not a jpeg");
    showForm({paths[0]});
    form->ActStart->trigger();
    tick();
    ASSERT_EQ(reporter.messages.size(), 1);
    EXPECT_TRUE(reporter.messages.first().startsWith(QStringLiteral("JPEG エラー #")));
    EXPECT_TRUE(form->Timer1.isActive());
    EXPECT_EQ(counter(), "2/3");
    EXPECT_EQ(shownWidth(), 41); // the previous picture stays
    tick();
    EXPECT_EQ(shownWidth(), 43);
    EXPECT_EQ(caption(), " Velmoa        auto        p3.jpg");
}

TEST_F(PictureNavigation, AFailedOpenedPictureDoesNotTrapStepping) {
    makeFolder(3);
    const std::string broken = writeFile(dir, "p4.jpg", "broken");
    showForm({broken});
    ASSERT_EQ(reporter.messages.size(), 1);
    EXPECT_FALSE(form->JustOpened);
    form->ActNext->trigger();
    EXPECT_EQ(reporter.messages.size(), 1);
    EXPECT_EQ(counter(), "1/4");
    EXPECT_EQ(shownWidth(), 41);
}

TEST_F(PictureNavigation, AHiddenOpenedPictureShowsUnderItsOwnName) {
    const std::string hidden = writeJpeg(dir, ".secret.jpg", 50, 40);
    showForm({hidden});
    EXPECT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join('\n').toStdString();
    EXPECT_EQ(caption(), " Velmoa        manu       .secret.jpg");
    EXPECT_EQ(counter(), "1/0");
    EXPECT_EQ(shownWidth(), 50);
    // Stepping goes by the (empty) list.
    form->ActNext->trigger();
    EXPECT_EQ(reporter.messages, QStringList{QStringLiteral("リストのインデックスが範囲を超えています (0)")});
}

TEST_F(PictureNavigation, StepsAfterADocumentTryTheDocumentAsAPicture) {
    makeFolder(2);
    const std::string ini = writeFile(dir, "a.ini", "x=1");
    showForm({ini});
    press("Ctrl+N");
    EXPECT_EQ(reporter.messages, QStringList{QStringLiteral("拡張子 .ini の画像形式は処理できません")});
    EXPECT_TRUE(form->BP1->isVisible());
    EXPECT_FALSE(form->MojiPanel->isVisible());
}

TEST_F(PictureNavigation, PicturesAreFittedAndCentredAndRefittedWithoutDecodingAgain) {
    const std::string big = writeJpeg(dir, "big.jpg", 1000, 800);
    showForm({big});
    EXPECT_EQ(form->P1->geometry(), QRect(0, -16, 640, 512));
    EXPECT_EQ(form->Image2->geometry(), QRect(0, 0, 640, 512));
    form->grab(); // draws the picture once
    const auto* jpeg = dynamic_cast<const JpegPictureData*>(form->Image2->picture().data());
    ASSERT_NE(jpeg, nullptr);
    const int decodes = jpeg->decodeCount();
    EXPECT_EQ(decodes, 1);
    form->resize(600, 450);
    form->grab();
    EXPECT_EQ(form->P1->geometry(), QRect(0, -15, 600, 480));
    EXPECT_EQ(jpeg->decodeCount(), decodes);

    const std::string small = writeJpeg(dir, "small.jpg", 32, 32);
    drop(small);
    EXPECT_EQ(form->P1->geometry(), QRect(284, 209, 32, 32));
}

TEST_F(PictureNavigation, PicturesWithoutSizeCannotBePlaced) {
    const std::string good = writeJpeg(dir, "a.jpg", 64, 48);
    const std::string empty = writeFile(dir, "b.bmp", "");
    showForm({good});
    const QRect before = form->P1->geometry();
    drop(empty);
    EXPECT_EQ(reporter.messages, QStringList{QStringLiteral("Invalid floating point operation")});
    EXPECT_EQ(form->P1->geometry(), before);
    EXPECT_EQ(form->Image2->picture().width(), 64);
    form->resize(700, 500);
    EXPECT_EQ(reporter.messages.size(), 2);
}

TEST_F(PictureNavigation, TheStartUpPictureStaysStretchedUntilAPictureIsShown) {
    showForm();
    form->resize(800, 600);
    EXPECT_TRUE(reporter.messages.isEmpty());
    EXPECT_EQ(form->P1->geometry(), QRect(0, 32, 800, 568));
    EXPECT_EQ(form->Image2->geometry(), QRect(0, 0, 800, 568));
}
