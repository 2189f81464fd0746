#include "app/Fonts.h"
#include "app/MessageBoxReporter.h"
#include "app/TAboutBox.h"
#include "app/TzorvForm1.h"
#include "picture/DecodeAhead.h"
#include "platform/Desktop.h"
#include "platform/FileChooser.h"
#include "platform/PrintDialog.h"

#include <QApplication>
#include <QFile>
#include <QScreen>

using namespace velmoa;

int main(int argc, char** argv) {
    // The last file named is the one left on screen: when it is a picture, its decode runs on a
    // worker while the window is built, at the size the new window's picture area will need.
    DecodeAhead decodeAhead;
    if (argc > 1) {
        decodeAhead.prepareOpening(argv[argc - 1], {TzorvForm1::kInitialClientSize});
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmoa"));
    QGuiApplication::setDesktopFileName(QStringLiteral("velmoa"));
    installFontSubstitutes();
    MessageBoxReporter reporter;
    installFailureReporter(&reporter);

    QtFileChooser openDialog;
    WindowManagerDesktop desktop;
    QtPrintDialog printDialog;
    TzorvForm1 zorvForm1({&openDialog, &desktop, &printDialog, &decodeAhead});
    TAboutBox AboutBox;
    zorvForm1.setAboutBox(&AboutBox);

    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        files.emplace_back(argv[i]);
    }
    zorvForm1.setCommandLineFiles(std::move(files));

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        zorvForm1.move(area.center() - QPoint(zorvForm1.width() / 2, zorvForm1.height() / 2));
    }
    zorvForm1.show();
    const int status = QApplication::exec();
    installFailureReporter(nullptr);
    return status;
}
