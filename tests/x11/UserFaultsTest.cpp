// What a user does with the window under a real X server and window manager: closing with the
// About box open, shortcuts while a text control has the focus, drops on any control, and where
// the window lands after full screen.
#include "FormHarness.h"
#include "PostedEvents.h"

#include "app/TAboutBox.h"
#include "controls/ImageControl.h"
#include "controls/Panel.h"
#include "controls/RichTextControl.h"
#include "controls/SecondsBox.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWindow>

using namespace velmoa;
using namespace velmoa::testing;

namespace {

// Picks a control of the window.
using ControlOf = QWidget* (*)(TzorvForm1&);
QWidget* documentText(TzorvForm1& window) {
    return window.RichEdit1->viewport();
}
QWidget* secondsBox(TzorvForm1& window) {
    return window.SpinEdit1;
}

class UserFaults : public FormTest {
  protected:
    // A new window, started with the files on its command line; returns its control, shown.
    QWidget* restartWith(const std::vector<std::string>& commandLine, ControlOf control) {
        form = std::make_unique<TzorvForm1>(FormServices{&chooser, &desktop});
        showForm(commandLine);
        // The command-line files open in a call the shown window queued: it has run once a marker
        // posted behind it has.
        EXPECT_TRUE(deliverPostedEvents());
        QWidget* shown = control(*form);
        EXPECT_TRUE(shown->isVisible()) << shown->objectName().toStdString();
        return shown;
    }

    // A drop as the window system delivers it: to the window, at a point, so that Qt picks the
    // control under the pointer as the target.
    void dropOnto(QWidget* control, const std::string& path) {
        QMimeData mime;
        // File managers offer the name as plain text besides the address.
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
        mime.setText(QString::fromStdString(path));
        const QPoint at = control->mapTo(form.get(), control->rect().center());
        QWindow* window = form->windowHandle();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        // As the window system does it: a move starts out with the answer its enter got.
        if (enter.isAccepted() && enter.dropAction() != Qt::IgnoreAction) {
            move.setDropAction(enter.dropAction());
            move.accept();
        }
        QCoreApplication::sendEvent(window, &move);
        // A target that refuses the drag never gets the drop.
        if (move.isAccepted()) {
            QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(window, &drop);
        }
    }

    // Keys as the window system delivers them: to the window, which hands them to the control
    // with the focus unless a shortcut takes them.
    void pressInWindow(const char* keys) {
        QTest::keySequence(form->windowHandle(), QKeySequence(QString::fromLatin1(keys)));
    }

    void clickInto(QWidget* control) {
        QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, control->rect().center());
    }

    // Where the window's frame lies once the window manager has settled it.
    QRect settledFrame() {
        QRect frame;
        int stableFor = 0;
        for (int i = 0; i < 100 && stableFor < 5; ++i) {
            QTest::qWait(20);
            stableFor = form->frameGeometry() == frame ? stableFor + 1 : 0;
            frame = form->frameGeometry();
        }
        return frame;
    }
};

TEST_F(UserFaults, ClosingTheWindowEndsTheProgramWhileTheAboutBoxIsShown) {
    struct Row {
        const char* how;
        std::function<void(TzorvForm1&)> close;
    };
    const Row rows[] = {
        {"Ctrl+X",
         [](TzorvForm1& window) { QTest::keySequence(&window, QKeySequence(QStringLiteral("Ctrl+X"))); }},
        {"close button", [](TzorvForm1& window) { window.close(); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.how);
        form = std::make_unique<TzorvForm1>(FormServices{&chooser, &desktop});
        TAboutBox about;
        form->setAboutBox(&about);
        showForm();
        form->ActAbout->trigger();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));

        QTimer::singleShot(0, form.get(), [&] { row.close(*form); });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        watchdog.start(10000);
        EXPECT_EQ(QApplication::exec(), 0) << "the program went on after its window was closed";
        EXPECT_FALSE(form->isVisible());
    }
}

TEST_F(UserFaults, WindowShortcutsWorkWhateverControlHasTheFocus) {
    const std::string text = writeFile(dir, "notes.txt", "some words to read");
    struct Row {
        const char* name;
        std::vector<std::string> commandLine;
        ControlOf focusTarget;
    };
    const Row rows[] = {{"document text", {text}, documentText}, {"seconds box", {}, secondsBox}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        clickInto(restartWith(row.commandLine, row.focusTarget));
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        ASSERT_NE(QApplication::focusWidget(), form.get());

        const int chooserCalls = chooser.calls;
        pressInWindow("Ctrl+O");
        EXPECT_EQ(chooser.calls, chooserCalls + 1) << "Ctrl+O";
        pressInWindow("Ctrl+X");
        EXPECT_FALSE(form->isVisible()) << "Ctrl+X";
    }
}

TEST_F(UserFaults, CtrlXInTheDocumentLeavesItsTextAlone) {
    const std::string text = writeFile(dir, "notes.txt", "some words to read");
    clickInto(restartWith({text}, documentText));
    pressInWindow("Ctrl+A");
    pressInWindow("Ctrl+X");
    EXPECT_EQ(form->RichEdit1->toPlainText(), QStringLiteral("some words to read"));
}

TEST_F(UserFaults, AFileDroppedOnAnyControlOpensIt) {
    const std::string first = writeFile(dir, "first.txt", "first file");
    const std::string second = writeFile(dir, "second.ini", "second file");
    struct Row {
        const char* name;
        std::vector<std::string> commandLine;
        ControlOf target;
    };
    const Row rows[] = {
        {"document text", {first}, documentText},
        {"document tool bar", {first}, [](TzorvForm1& w) -> QWidget* { return w.CoolBar2; }},
        {"seconds box", {}, secondsBox},
        {"picture", {}, [](TzorvForm1& w) -> QWidget* { return w.Image2; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QWidget* target = restartWith(row.commandLine, row.target);
        form->Timer1.start();

        dropOnto(target, second);
        EXPECT_EQ(caption(), " Velmoa       second.ini");
        EXPECT_EQ(form->RichEdit1->toPlainText(), QStringLiteral("second file"));
        EXPECT_FALSE(form->Timer1.isActive());
        EXPECT_EQ(form->SpinEdit1->value(), 3);
        EXPECT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join(QLatin1Char('\n')).toStdString();
    }
}

TEST_F(UserFaults, LeavingFullScreenPutsTheCaptionBarBackOnTheScreen) {
    const std::string picture = writeJpeg(dir, "a.jpg", 64, 48);
    const std::string text = writeFile(dir, "notes.txt", "words");
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    struct Row {
        const char* how;
        QPoint start;
        std::function<void()> leave;
        bool centred;
    };
    const Row rows[] = {
        {"the full-screen action", {200, 150}, [this] { form->ActFullScreen->trigger(); }, false},
        {"opening a document", {200, 150}, [this, &text] { drop(text); }, false},
        {"from partly off the screen", {-300, 150}, [this] { form->ActFullScreen->trigger(); }, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.how);
        form = std::make_unique<TzorvForm1>(FormServices{&chooser, &desktop});
        showForm({picture});
        form->move(row.start);
        const QRect before = settledFrame();

        form->ActFullScreen->trigger();
        ASSERT_TRUE(QTest::qWaitFor([&] { return form->geometry() == screen; }, 10000));
        settledFrame();
        row.leave();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return !form->isFullScreen() && form->size() == QSize(640, 480); }, 10000));
        const QRect after = settledFrame();
        EXPECT_GT(after.height(), form->height()) << "caption bar";
        EXPECT_TRUE(screen.contains(after))
            << after.x() << "," << after.y() << " " << after.width() << "x" << after.height();
        if (row.centred) {
            EXPECT_LE((after.center() - screen.center()).manhattanLength(), 2);
        } else {
            EXPECT_EQ(after.topLeft(), before.topLeft());
        }
    }
}

} // namespace
