#include "FormHarness.h"

#include "app/ApplicationCursor.h"
#include "app/Colours.h"
#include "controls/ImageControl.h"
#include "controls/Panel.h"
#include "controls/ToolBar.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <sys/stat.h>

using namespace velmoa;
using namespace velmoa::testing;

using FileOpening = FormTest;

TEST_F(FileOpening, CommandLineDocumentSetsCountersCaptionAndView) {
    const std::string ini = writeFile(dir, "notes.ini", "[a]\nb=1\n");
    showForm({ini});
    EXPECT_EQ(caption(), " Velmoa       notes.ini");
    EXPECT_EQ(counter(), "1/0");
    EXPECT_EQ(form->FilePath, ini);
    EXPECT_TRUE(form->JustOpened);
    EXPECT_TRUE(form->ActStart->isEnabled());
    EXPECT_FALSE(form->ActStop->isEnabled());
    EXPECT_FALSE(form->PictureMode);
    EXPECT_TRUE(form->MojiPanel->isVisible());
    EXPECT_FALSE(form->BP1->isVisible());
    EXPECT_EQ(form->SizePanel->text(), QStringLiteral("8 byt"));
    EXPECT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join('\n').toStdString();
}

TEST_F(FileOpening, DispatchesByExtension) {
    struct Row {
        const char* name;
        Panel* TzorvForm1::*view;
    };
    const Row rows[] = {
        {"a.JPG", &TzorvForm1::BP1},       {"b.jpg", &TzorvForm1::BP1},
        {"c.Jpg", &TzorvForm1::BP1},       {"d.jpe", &TzorvForm1::MojiPanel},
        {"e.tif", &TzorvForm1::MojiPanel}, {"noext", &TzorvForm1::MojiPanel},
        {"f.mp3", &TzorvForm1::BackPanel}, {"g.Mpe", &TzorvForm1::BackPanel},
        {"h.wax", &TzorvForm1::BackPanel},
    };
    showForm();
    for (const Row& row : rows) {
        std::string path = row.name[1] == '.' && std::string(row.name).find("jp") == 2
                               ? writeJpeg(dir, row.name, 40, 30)
                               : writeFile(dir, row.name, "x");
        chooser.answer = path;
        form->ActOpen->trigger();
        QWidget* expected = form.get()->*row.view;
        EXPECT_TRUE(expected->isVisible()) << row.name;
        for (QWidget* other : {form->BP1, form->MojiPanel, form->BackPanel}) {
            if (other != expected) {
                EXPECT_FALSE(other->isVisible()) << row.name << " " << other->objectName().toStdString();
            }
        }
    }
}

TEST_F(FileOpening, FolderDotDoesNotMakeAnExtension) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("a.b")));
    const std::string path = writeFile(dir, "a.b/readme", "hello");
    showForm({path});
    EXPECT_TRUE(form->MojiPanel->isVisible());
    EXPECT_EQ(caption(), " Velmoa       readme");
}

TEST_F(FileOpening, TwoArgumentsEndInTheSecondFilesView) {
    const std::string jpg = writeJpeg(dir, "a.jpg", 64, 48);
    const std::string ini = writeFile(dir, "notes.ini", "x=1\n");
    showForm({jpg, ini});
    EXPECT_TRUE(form->MojiPanel->isVisible());
    EXPECT_EQ(caption(), " Velmoa       notes.ini");
}

TEST_F(FileOpening, MissingArgumentIsReportedAndEndsTheLoop) {
    const std::string missing = dir.path().toStdString() + "/missing.txt";
    const std::string ini = writeFile(dir, "notes.ini", "x=1\n");
    showForm({missing, ini});
    EXPECT_EQ(reporter.messages, QStringList{QStringLiteral("File not found")});
    EXPECT_EQ(caption(), " Velmoa       missing.txt");
    EXPECT_EQ(form->FilePath, missing);
}

TEST_F(FileOpening, SizeErrorsKeepThePanelText) {
    showForm({writeFile(dir, "a.dat", std::string(1536, 'a'))});
    ASSERT_EQ(form->SizePanel->text(), QStringLiteral("1.5 KB"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const std::string fifo = dir.path().toStdString() + "/pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Row {
        std::string path;
        QString message;
    };
    const Row rows[] = {
        {dir.path().toStdString() + "/nothing", QStringLiteral("File not found")},
        {dir.path().toStdString() + "/folder", QStringLiteral("File access denied")},
        {dir.path().toStdString() + "/a.dat/x", QStringLiteral("Invalid filename")},
        {fifo, QString()}, // a clear message of its own, and no hang
    };
    for (const Row& row : rows) {
        reporter.messages.clear();
        chooser.answer = row.path;
        form->ActOpen->trigger();
        ASSERT_EQ(reporter.messages.size(), 1) << row.path;
        if (!row.message.isEmpty()) {
            EXPECT_EQ(reporter.messages.first(), row.message);
        }
        EXPECT_EQ(form->SizePanel->text(), QStringLiteral("1.5 KB"));
    }
}

TEST_F(FileOpening, OpenDoorKeepsARedCounterRedAndTheOtherDoorsMakeItAqua) {
    const std::string ini = writeFile(dir, "a.ini", "x");
    showForm();
    form->CounterPanel->setPalette([&] {
        QPalette pal = form->CounterPanel->palette();
        pal.setColor(QPalette::WindowText, clRed);
        return pal;
    }());
    chooser.answer = ini;
    form->ActOpen->trigger();
    EXPECT_EQ(form->counterColour(), clRed);
    drop(ini);
    EXPECT_EQ(form->counterColour(), clAqua);
}

TEST_F(FileOpening, CancellingTheDialogChangesNothing) {
    const std::string ini = writeFile(dir, "a.ini", "x");
    showForm({ini});
    form->Timer1.start(60000);
    const std::string captionBefore = caption();
    chooser.answer.reset();
    form->ActOpen->trigger();
    EXPECT_EQ(chooser.calls, 1);
    EXPECT_TRUE(form->Timer1.isActive());
    EXPECT_EQ(caption(), captionBefore);
    EXPECT_FALSE(form->PictureMode);
    EXPECT_TRUE(reporter.messages.isEmpty());

    // Cancelling before anything was opened reports nothing either.
    auto fresh = std::make_unique<TzorvForm1>(FormServices{&chooser, &desktop});
    fresh->ActOpen->trigger();
    EXPECT_TRUE(reporter.messages.isEmpty());
    EXPECT_EQ(fresh->windowTitle(), QStringLiteral(" Velmoa       "));
}

TEST_F(FileOpening, DropOpensTheFirstFileWholeAndBringsTheWindowForward) {
    const std::string longName(200, 'n');
    ASSERT_TRUE(QDir(dir.path()).mkpath(QString::fromStdString(longName + "/" + longName)));
    const std::string deep = writeFile(dir, longName + "/" + longName + "/first.ini", "1");
    const std::string second = writeFile(dir, "second.ini", "2");
    showForm();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(deep)),
                  QUrl::fromLocalFile(QString::fromStdString(second))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &drop);
    EXPECT_GT(deep.size(), 259u);
    EXPECT_EQ(form->FilePath, deep);
    EXPECT_EQ(caption(), " Velmoa       first.ini");
    EXPECT_TRUE(form->isActiveWindow());
}

TEST_F(FileOpening, OnlyTheDocumentBranchClearsTheHiddenPointer) {
    const std::string jpg = writeJpeg(dir, "a.jpg", 64, 48);
    const std::string ini = writeFile(dir, "a.ini", "x");
    showForm();
    setApplicationCursorHidden(true);
    drop(jpg);
    EXPECT_TRUE(applicationCursorHidden());
    drop(ini);
    EXPECT_FALSE(applicationCursorHidden());
}

TEST_F(FileOpening, FullScreenRoundTripEndsAt640By480) {
    showForm();
    form->resize(1000, 700);
    form->ActFullScreen->trigger();
    EXPECT_TRUE(form->FullScreenOn);
    EXPECT_FALSE(form->Windowed);
    EXPECT_TRUE(form->isFullScreen());
    EXPECT_EQ(form->FullScreenButton->imageIndex(), 7);
    EXPECT_EQ(form->FSBT->imageIndex(), 7);
    form->ActFullScreen->trigger();
    EXPECT_TRUE(form->Windowed);
    EXPECT_FALSE(form->isFullScreen());
    EXPECT_EQ(form->centralWidget()->size(), QSize(640, 480));
    EXPECT_EQ(form->FullScreenButton->imageIndex(), 6);
    EXPECT_EQ(desktop.calls, QStringList({"show", "hide", "show"}));
}

TEST_F(FileOpening, DocumentLeavesFullScreenAndPicturesKeepIt) {
    const std::string jpg = writeJpeg(dir, "a.jpg", 64, 48);
    const std::string ini = writeFile(dir, "a.ini", "x");
    showForm();
    form->ActFullScreen->trigger();
    drop(jpg);
    EXPECT_TRUE(form->FullScreenOn);
    drop(ini);
    EXPECT_FALSE(form->FullScreenOn);
    EXPECT_TRUE(form->Windowed);
    EXPECT_EQ(form->centralWidget()->size(), QSize(640, 480));
}
