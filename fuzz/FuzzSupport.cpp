#include "FuzzSupport.h"

#include "formats/picture/PictureData.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextDocument>
#include <cstdlib>

namespace velmoa {

void ensureFuzzApplication() {
    if (QCoreApplication::instance()) {
        return;
    }
    // NOLINTNEXTLINE(concurrency-mt-unsafe): the program's own start, before any thread
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "velmoa_fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

void drawPictureForFuzzing(const PictureData& picture) {
    QImage canvas(kFuzzTargetSize, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        picture.draw(painter, QRect(QPoint(0, 0), kFuzzTargetSize));
        picture.draw(painter, QRect(QPoint(4, 4), kFuzzTargetSize / 2));
    }
    // A decoding error is handed to the drawer, which would report it.
    (void)picture.takeDrawFailure();
}

void drawDocumentForFuzzing(QTextDocument& document) {
    document.setTextWidth(kFuzzTargetSize.width() * 4);
    QImage canvas(kFuzzTargetSize * 4, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        document.drawContents(&painter, QRectF(QPointF(0, 0), QSizeF(canvas.size())));
    }
    // The whole height, as the scroll bar asks for it.
    (void)document.documentLayout()->documentSize();
    // Whatever the layout posted to the event loop is delivered now, so that none piles up.
    QCoreApplication::sendPostedEvents();
}

} // namespace velmoa
