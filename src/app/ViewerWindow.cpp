#include "app/ViewerWindow.h"

#include "app/Fonts.h"
#include "platform/FailureReporter.h"

#include <QApplication>

namespace velmoa {

void ViewerWindow::prepareApplication() {
    QApplication::setApplicationName(QStringLiteral("Velmoa"));
    QGuiApplication::setDesktopFileName(QStringLiteral("velmoa"));
    installFontSubstitutes();
}

ViewerWindow::InstalledReporter::InstalledReporter() {
    installFailureReporter(&reporter);
}

ViewerWindow::ViewerWindow(MediaDevice* media, DecodeAhead* decodeAhead)
    : printing_(ModulePrinting::programModule()),
      form_({&openDialog_, &desktop_, &printing_, media, decodeAhead}) {
    form_.setAboutBox(&aboutBox_);
}

ViewerWindow::~ViewerWindow() {
    installFailureReporter(nullptr);
}

} // namespace velmoa
