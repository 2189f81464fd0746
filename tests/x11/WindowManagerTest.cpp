// Full screen, maximising and the outer size under a real X server and window manager.
#include "FormHarness.h"

#include "controls/ToolBar.h"
#include "media/MediaFixtures.h"

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
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

TEST_F(WindowManager, SoundLabelsOfAFileOnTheCommandLineLandWhereTheOpenDialogPutsThem) {
    const std::string tone = writeFile(dir, "tone.wav", wavBytes(1000));
    // Opened from the dialog: the window manager has framed the window long before.
    showForm();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return form->frameGeometry().height() > form->geometry().height(); }, 10000));
    chooser.answer = tone;
    form->ActOpen->trigger();
    ASSERT_TRUE(form->Label3->isVisible());
    const QPoint label3 = form->Label3->pos();
    const QPoint label4 = form->Label4->pos();

    // The same file on the command line of a new window, opened before the frame is there.
    form.reset();
    form = std::make_unique<TzorvForm1>(FormServices{&chooser, &desktop, nullptr, &media});
    showForm({tone});
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return form->Label3->pos() == label3 && form->Label4->pos() == label4; }, 10000))
        << "Label3 at " << form->Label3->x() << "," << form->Label3->y() << " (dialog " << label3.x() << ","
        << label3.y() << "), Label4 at " << form->Label4->x() << "," << form->Label4->y() << " (dialog "
        << label4.x() << "," << label4.y() << ")";
    EXPECT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join('\n').toStdString();
}
