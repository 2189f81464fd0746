// The three ways a file comes in (Open dialog, command line, drop) and the choice of view.
#include "app/ApplicationCursor.h"
#include "app/Captions.h"
#include "app/Colours.h"
#include "app/ExtensionTables.h"
#include "app/TzorvForm1.h"
#include "controls/Alignment.h"
#include "controls/ImageControl.h"
#include "controls/Panel.h"
// Choosing the view is the window's job, so the dispatch reaches into the view folders.
#include "base/Paths.h"
#include "document/FileSize.h"
#include "document/FileSizeText.h"
#include "media/MediaPlayer.h"
#include "picture/DecodeAhead.h"
#include "picture/FolderPictureList.h"
#include "platform/FailureReporter.h"
#include "platform/FileChooser.h"

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QSlider>
#include <QUrl>

namespace velmoa {

void TzorvForm1::openSequence(bool resetCounterColour) {
    ButtonPanel1->show();
    CounterPanel->setText(QString::fromStdString(counterText(CurrentIndex, fn.count())));
    JustOpened = true;
    ActStop->setEnabled(false);
    ActStart->setEnabled(true);
    if (resetCounterColour) {
        setCounterColour(clAqua);
    }
    setCaption(kManualCaption + fileName(FilePath));
    ShowFileByKind(FilePath);
}

void TzorvForm1::OpenButtonClick() {
    const bool slideshowWasRunning = Timer1.isActive();
    const bool pictureModeBefore = PictureMode;
    Timer1.stop();
    PictureMode = true;
    const std::optional<std::string> chosen =
        services_.openDialog ? services_.openDialog->choose(this) : std::nullopt;
    // Cancelling changes nothing: no second opening of the current file, and a slideshow that
    // was running goes on.
    if (!chosen) {
        PictureMode = pictureModeBefore;
        if (slideshowWasRunning) {
            Timer1.start();
        }
        return;
    }
    FilePath = *chosen;
    // The Open door leaves the counter colour alone: a red counter stays red.
    openSequence(false);
}

void TzorvForm1::FormShow() {
    PictureMode = true;
    for (const std::string& argument : commandLineFiles_) {
        Timer1.stop();
        FilePath = argument;
        // A failure ends the loop: later arguments are not opened.
        openSequence(true);
    }
}

void TzorvForm1::WMDropFiles(const std::string& firstDroppedPath) {
    Timer1.stop();
    // Brought to the front before the name is read.
    raise();
    activateWindow();
    FilePath = firstDroppedPath;
    openSequence(true);
}

void TzorvForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void TzorvForm1::dropEvent(QDropEvent* event) {
    // Only the first local file of a drop is opened, and it is taken whole.
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            const std::string path = QFile::encodeName(url.toLocalFile()).toStdString();
            event->acceptProposedAction();
            runReported([this, path] { WMDropFiles(path); });
            return;
        }
    }
}

void TzorvForm1::ShowFileByKind(const std::string& path) {
    switch (viewKindFor(path)) {
    case ViewKind::Picture:
        MojiPanel->hide();
        BackPanel->hide();
        setAlign(BP1, Align::Client);
        BP1->show();
        PictureMode = true;
        BuildPictureList(path);
        // The opened picture's place in its list becomes the current one, so that counter,
        // caption and the next step agree with the picture on screen.
        if (const int position = indexOfPath(fn.items(), path); position >= 0) {
            CurrentIndex = position;
        }
        ShowCurrentPicture();
        break;
    case ViewKind::Media:
        MojiPanel->hide();
        BP1->hide();
        setAlign(BackPanel, Align::Client);
        BackPanel->show();
        UpdateCursorForMediaBar();
        PictureMode = false;
        ShowNonPictureFile();
        break;
    case ViewKind::Document:
        if (!Windowed) {
            FullScreenButtonClick();
        }
        BackPanel->hide();
        BP1->hide();
        setAlign(MojiPanel, Align::Client);
        MojiPanel->show();
        setApplicationCursorHidden(false);
        PictureMode = false;
        ShowNonPictureFile();
        break;
    }
}

void TzorvForm1::ShowNonPictureFile() {
    if (services_.decodeAhead) {
        services_.decodeAhead->dropAll();
    }
    TrackBar1->hide();
    TrackBar1->setValue(0);
    CoolBar1->hide();
    MojiPanel->hide();
    Image1->hide();
    Image1->repaintNow();
    Image2->hide();
    Image3->hide();
    Label3->hide();
    Label4->hide();
    DisplayPanel->hide();
    Panel2->hide();
    MediaPlayer1->hide();
    MediaPlayer1->repaint();
    setCaption(kIdleCaption + fileName(FilePath));
    const std::string extension = asciiUpper(velmoa::extension(FilePath));
    ShowFileSize(FilePath);
    if (isMediaExtension(extension)) {
        ShowMedia(extension);
    } else {
        ShowDocument(extension);
    }
}

void TzorvForm1::ShowFileSize(const std::string& path) {
    // Throws before anything changes, so the panel keeps its text on failure.
    const std::int64_t size = fileSizeOf(path);
    SizePanel->setText(QString::fromStdString(fileSizeTextForLocale(size)));
    QPalette pal = SizePanel->palette();
    pal.setColor(QPalette::WindowText, clAqua);
    SizePanel->setPalette(pal);
    QFont font = SizePanel->font();
    font.setPointSize(11);
    SizePanel->setFont(font);
    SizePanel->show();
}

} // namespace velmoa
