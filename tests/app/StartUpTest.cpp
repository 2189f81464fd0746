#include "FormHarness.h"

#include "app/Colours.h"
#include "app/MessageBoxReporter.h"
#include "app/TAboutBox.h"
#include "base/Failure.h"
#include "controls/ImageControl.h"
#include "controls/Panel.h"
#include "controls/RichTextControl.h"
#include "controls/SecondsBox.h"
#include "controls/ToolBar.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using namespace velmoa;
using namespace velmoa::testing;

using StartUp = FormTest;

TEST_F(StartUp, ShowsThePictureViewWithTheWelcomePicture) {
    showForm();
    struct Row {
        QWidget* widget;
        bool visible;
    };
    for (const Row& row :
         {Row{form->BP1, true}, Row{form->P1, true}, Row{form->Image2, true}, Row{form->ButtonPanel1, true},
          Row{form->Image1, false}, Row{form->MojiPanel, false}, Row{form->BackPanel, false}}) {
        EXPECT_EQ(row.widget->isVisible(), row.visible) << row.widget->objectName().toStdString();
    }
    EXPECT_EQ(caption(), " Velmoa       ");
    EXPECT_EQ(counter(), "");
    EXPECT_EQ(form->counterColour(), clAqua);
    EXPECT_EQ(form->SpinEdit1->value(), 3);
    EXPECT_EQ(form->Timer1.interval(), 1000);
    EXPECT_FALSE(form->Timer1.isActive());
    EXPECT_EQ(form->Image1->picture().width(), 640);
    EXPECT_EQ(form->Image2->picture().height(), 506);
    EXPECT_TRUE(form->Windowed);
    EXPECT_FALSE(form->FullScreenOn);
    EXPECT_TRUE(form->PictureMode);
    EXPECT_EQ(form->FullScreenButton->imageIndex(), 6);
    // The picture fills the client area below the tool bar.
    EXPECT_EQ(form->centralWidget()->size(), QSize(640, 480));
    EXPECT_EQ(form->P1->geometry(), QRect(0, 32, 640, 448));
    EXPECT_EQ(form->Image2->geometry(), QRect(0, 0, 640, 448));
}

TEST_F(StartUp, EnablesEveryActionButStartAndStop) {
    showForm();
    for (QAction* action : form->actions()) {
        const bool expected = action != form->ActStart && action != form->ActStop;
        EXPECT_EQ(action->isEnabled(), expected) << action->objectName().toStdString();
    }
    // A disabled action greys its buttons.
    auto* start = form->findChild<QWidget*>(QStringLiteral("StartButton"));
    ASSERT_NE(start, nullptr);
    EXPECT_FALSE(start->isEnabled());
}

TEST_F(StartUp, ActionsCarryTheirHintsAndShortcuts) {
    struct Row {
        QAction* action;
        const char* hint;
        const char* shortcut;
    };
    const Row rows[] = {
        {form->ActOpen, "開く", "Ctrl+O"},
        {form->ActClose, "終了", "Ctrl+X"},
        {form->ActStart, "スタート", "Ctrl+S"},
        {form->ActStop, "ストップ", "Ctrl+P"},
        {form->ActBack, "戻る", "Ctrl+B"},
        {form->ActNext, "次へ", "Ctrl+N"},
        {form->ActFullScreen, "拡大・縮小", "Ctrl+F"},
        {form->ActAbout, "バージョン情報", "Ctrl+H"},
        {form->ActPrint, "印刷", ""},
        {form->ActCharPrint, "印刷", ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.action->toolTip().toStdString(), row.hint);
        EXPECT_EQ(row.action->shortcut().toString().toStdString(), row.shortcut);
    }
    // Screen readers get the hints of the buttons, not the actions' names.
    for (auto* button : form->findChildren<ToolButton*>()) {
        EXPECT_EQ(button->accessibleName(), button->defaultAction()->toolTip())
            << button->objectName().toStdString();
    }
    EXPECT_EQ(form->findChild<ToolButton*>(QStringLiteral("NextButton"))->accessibleName(),
              QStringLiteral("次へ"));
}

TEST_F(StartUp, ShortcutsRunOnlyEnabledActionsAndWorkWithTheToolBarHidden) {
    showForm();
    press("Ctrl+S");
    press("Ctrl+P");
    EXPECT_TRUE(reporter.messages.isEmpty());
    EXPECT_FALSE(form->Timer1.isActive());

    // Nothing is listed yet: stepping reaches its handler and reports the index.
    press("Ctrl+N");
    press("Ctrl+B");
    EXPECT_EQ(reporter.messages,
              QStringList({QStringLiteral("リストのインデックスが範囲を超えています (0)"),
                           QStringLiteral("リストのインデックスが範囲を超えています (-1)")}));
    EXPECT_EQ(counter(), "0/0");

    form->ButtonPanel1->hide();
    press("Ctrl+N");
    EXPECT_EQ(reporter.messages.size(), 3);
    EXPECT_EQ(counter(), "1/0");
}

TEST_F(StartUp, DocumentViewShowsNoContextMenu) {
    showForm();
    for (QWidget* widget : {static_cast<QWidget*>(form->MojiPanel), static_cast<QWidget*>(form->RichEdit1)}) {
        EXPECT_EQ(widget->contextMenuPolicy(), Qt::NoContextMenu);
    }
    form->MojiPanel->show();
    QWidget* viewport = form->RichEdit1->viewport();
    const QPoint at(10, 10);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &event);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(StartUp, AboutBoxShowsHidesAndIgnoresASecondRequest) {
    TAboutBox about;
    form->setAboutBox(&about);
    showForm();
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.size(), QSize(273, 195));
    press("Ctrl+H");
    ASSERT_TRUE(about.isVisible());
    const QPoint where = about.pos();
    about.move(where + QPoint(5, 5));
    press("Ctrl+H");
    EXPECT_TRUE(about.isVisible());
    EXPECT_EQ(about.pos(), where + QPoint(5, 5));

    about.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&about));
    QTest::keyClick(&about, Qt::Key_Return);
    EXPECT_FALSE(about.isVisible());

    about.showCentred();
    about.close();
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.Version->text(), QStringLiteral("バージョン 1.3"));
}

TEST_F(StartUp, CtrlXClosesTheWindow) {
    showForm();
    press("Ctrl+X");
    EXPECT_FALSE(form->isVisible());
}

TEST_F(StartUp, FailuresFromActionsTicksAndMouseAreReportedOnce) {
    showForm();
    form->ActNext->trigger();
    EXPECT_EQ(reporter.messages.size(), 1);
    form->Timer1.setInterval(1);
    form->Timer1.start();
    // On a loaded machine the first tick may come late: wait for it rather than for a fixed time.
    EXPECT_TRUE(QTest::qWaitFor([&] { return reporter.messages.size() >= 2; }, 5000));
    form->Timer1.stop();
    const auto before = reporter.messages.size();
    QTest::mouseClick(form->Image2, Qt::LeftButton);
    EXPECT_EQ(reporter.messages.size(), before + 1);
    EXPECT_TRUE(reporter.messages.last().startsWith(QStringLiteral("リストのインデックス")));
}

TEST_F(StartUp, GrabShowsToolBarAboveTheWelcomePicture) {
    showForm();
    const QImage shot = form->grab().toImage();
    ASSERT_EQ(shot.size(), QSize(640, 480));
    // The tool bar's face at the top, the sky of the welcome picture below it.
    const QColor bar = shot.pixelColor(630, 3);
    EXPECT_GT(bar.lightness(), 200);
    const QColor sky = shot.pixelColor(20, 60);
    EXPECT_GT(sky.blue(), sky.red() + 40);
    const QColor hills = shot.pixelColor(20, 460);
    EXPECT_GT(hills.green(), hills.blue());
}

TEST(MessageBoxReporter, CountsFailuresWhileItsBoxIsOpen) {
    MessageBoxReporter reporter;
    QString shownText;
    int boxes = 0;
    QTimer::singleShot(0, [&] {
        reporter.report(QStringLiteral("two"));
        reporter.report(QStringLiteral("three"));
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                ++boxes;
                shownText = box->text();
                EXPECT_EQ(box->windowTitle(), QStringLiteral("Velmoa"));
                box->accept();
            }
        }
    });
    reporter.report(QStringLiteral("one"));
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(shownText, countedMessageText(QStringLiteral("one"), QStringLiteral("three"), 2));
    EXPECT_TRUE(shownText.startsWith(QStringLiteral("one")));
    EXPECT_TRUE(shownText.contains(QStringLiteral("2")));
}

TEST(SecondsBox, ReadsTypedTextIntoRange) {
    const std::pair<const char*, int> rows[] = {{"3", 3}, {"60", 60}, {"61", 60},
                                                {"0", 1}, {"-5", 1},  {"abc", 1},
                                                {"", 1},  {" 7 ", 7}, {"99999999999", 60}};
    for (const auto& [text, seconds] : rows) {
        EXPECT_EQ(secondsFromText(QString::fromLatin1(text)), seconds) << text;
    }
}
