// Showing the current picture, stepping, the slideshow and fitting the picture to the window.
#include "app/ApplicationCursor.h"
#include "app/Captions.h"
#include "app/Colours.h"
#include "app/TzorvForm1.h"
#include "base/Paths.h"
#include "controls/Alignment.h"
#include "controls/ImageControl.h"
#include "controls/Panel.h"
#include "controls/SecondsBox.h"
#include "picture/DecodeAhead.h"
#include "picture/FitPicture.h"
#include "picture/FolderPictureList.h"
#include "picture/PictureFile.h"

#include <QAction>
#include <QLabel>

namespace velmoa {

void TzorvForm1::BuildPictureList(const std::string& path) {
    FolderPath = folderPart(path);
    if (services_.decodeAhead) {
        services_.decodeAhead->keepOnlyFolder(FolderPath);
    }
    fn.clear();
    fn.assign(listFolderPictures(FolderPath));
}

void TzorvForm1::ShowCurrentPicture() {
    BackPanel->hide();
    MojiPanel->hide();
    setAlign(BP1, Align::Client);
    BP1->show();
    setAlign(P1, Align::None);
    P1->show();
    Image2->show();
    Image1->setAutoSize(false);
    Image2->setAutoSize(false);
    setAlign(Image2, Align::None);

    const int n = fn.count();
    if (CurrentIndex >= n) {
        CurrentIndex = 0;
    }
    if (CurrentIndex < 0) {
        CurrentIndex = n - 1;
    }
    CounterPanel->setText(QString::fromStdString(counterText(CurrentIndex, n)));

    const bool loadingOpenedFile = JustOpened;
    if (loadingOpenedFile) {
        // Tried once: should it fail, later steps go on with the list instead of this file.
        JustOpened = false;
        Image1->setPicture(loadStepPicture(FilePath));
        ActStart->setEnabled(true);
    } else {
        Image1->setPicture(loadStepPicture(fn.item(CurrentIndex)));
    }
    FitPicture();
    JustOpened = false;

    const std::string& caption = Timer1.isActive() ? kSlideshowCaption : kManualCaption;
    // An opened picture that its list does not hold (a hidden file) is named by its own path.
    const bool openedOutsideList = loadingOpenedFile && indexOfPath(fn.items(), FilePath) < 0;
    setCaption(caption + fileName(openedOutsideList ? FilePath : fn.item(CurrentIndex)));
    prepareNeighbours();
}

Picture TzorvForm1::loadStepPicture(const std::string& path) {
    DecodeAhead* ahead = services_.decodeAhead;
    if (!ahead) {
        return loadPictureFile(path);
    }
    FileIdentity identity;
    Picture picture = loadPictureFile(path, &identity);
    ahead->offerTo(picture, path, identity);
    return picture;
}

void TzorvForm1::prepareNeighbours() {
    if (services_.decodeAhead && PictureMode && fn.count() > 0) {
        services_.decodeAhead->prepareAround(fn.items(), CurrentIndex, travel_,
                                             {client->size(), client->devicePixelRatioF()});
    }
}

void TzorvForm1::FitPicture() {
    const Picture picture = Image1->picture();
    // Fails for a picture without width or height before anything is changed.
    const PictureBox box = fitToClient(picture.width(), picture.height(), client->width(), client->height());
    // Aligned controls (the start-up layout) keep what their alignment gives them.
    const bool free = alignOf(P1) == Align::None && alignOf(Image2) == Align::None;
    if (free) {
        Image2->resize(box.width, box.height);
        P1->resize(box.width, box.height);
    }
    Image2->setPicture(picture);
    if (free) {
        P1->move(box.left, box.top);
        Image2->move(0, 0);
    }
}

void TzorvForm1::StartButtonClick() {
    ActPrint->setEnabled(false);
    ButtonPanel1->hide();
    // The first change comes after the box's seconds too, not after a fixed second.
    Timer1.setInterval(SpinEdit1->secondsAsTyped() * 1000);
    Timer1.start();
    setApplicationCursorHidden(true);
    ActStart->setEnabled(false);
    ActStop->setEnabled(true);
    setCounterColour(clRed);
    ShowCurrentPicture();
}

void TzorvForm1::Timer1Timer() {
    Timer1.setInterval(SpinEdit1->secondsAsTyped() * 1000);
    travel_ = 1;
    CurrentIndex = CurrentIndex + 1;
    ShowCurrentPicture();
}

void TzorvForm1::ActStopExecute() {
    Timer1.stop();
    ActPrint->setEnabled(true);
    ActStop->setEnabled(false);
    ActStart->setEnabled(true);
    setCounterColour(clAqua);
    setCaption(kManualCaption + fileName(fn.item(CurrentIndex)));
}

void TzorvForm1::stepInto(int delta) {
    Timer1.stop();
    ActPrint->setEnabled(true);
    ActStart->setEnabled(true);
    ActStop->setEnabled(false);
    setCounterColour(clAqua);
    travel_ = delta;
    CurrentIndex = CurrentIndex + delta;
    ShowCurrentPicture();
}

void TzorvForm1::NextButtonClick() {
    ButtonPanel1->show();
    stepInto(+1);
}

void TzorvForm1::BackButtonClick() {
    ButtonPanel1->show();
    stepInto(-1);
}

void TzorvForm1::Image2MouseDown(Qt::MouseButton button) {
    BP1MouseDown(button);
}

void TzorvForm1::BP1MouseDown(Qt::MouseButton button) {
    if (button == Qt::LeftButton) {
        // Stops a running slideshow and shows the next picture; the tool bar stays as it is.
        stepInto(+1);
    } else if (button == Qt::RightButton) {
        ButtonPanel1->setVisible(ButtonPanel1->isHidden());
        UpdateCursorForButtonBar();
    }
}

void TzorvForm1::UpdateCursorForButtonBar() {
    setApplicationCursorHidden(ButtonPanel1->isHidden());
}

} // namespace velmoa
