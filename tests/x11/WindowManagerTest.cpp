// Full screen and maximising under a real X server and window manager.
#include "FormHarness.h"

#include "controls/ToolBar.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

using namespace velmoa;
using namespace velmoa::testing;

using WindowManager = FormTest;

TEST_F(WindowManager, FullScreenFillsTheScreenAndLeavingGives640By480) {
    showForm();
    const QSize screen = QGuiApplication::primaryScreen()->size();
    form->resize(1000, 700);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->size() == QSize(1000, 700); }, 10000));

    form->ActFullScreen->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->geometry() == QRect(QPoint(0, 0), screen); }, 10000))
        << form->geometry().width() << "x" << form->geometry().height();
    // No caption bar (the window manager reports the frame a moment later).
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->frameGeometry() == form->geometry(); }, 10000));
    EXPECT_EQ(form->centralWidget()->size(), screen);

    form->ActFullScreen->trigger();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return form->size() == QSize(640, 480) && !form->isFullScreen(); }, 10000))
        << form->width() << "x" << form->height();
    EXPECT_EQ(form->centralWidget()->size(), QSize(640, 480));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return form->frameGeometry().height() > form->geometry().height(); }, 10000))
        << "caption bar back";
}

TEST_F(WindowManager, MaximiseKeepsTheCaptionBarAndWindowedMode) {
    showForm();
    form->setWindowState(Qt::WindowMaximized);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->width() > 1000; }, 10000));
    EXPECT_FALSE(form->isFullScreen());
    EXPECT_TRUE(form->Windowed);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return form->frameGeometry().height() > form->geometry().height(); }, 10000));
    EXPECT_EQ(form->FullScreenButton->imageIndex(), 6);
}
