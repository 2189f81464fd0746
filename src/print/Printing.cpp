// Printing the shown picture on one page and the document page by page.
#include "app/TzorvForm1.h"
#include "controls/ImageControl.h"
#include "controls/RichTextControl.h"
#include "print/PrintJobs.h"

#include <QCheckBox>
#include <QImage>
#include <QPainter>
#include <QTextDocument>

namespace velmoa {

void TzorvForm1::ActPrintExecute() {
    if (!services_.printing) {
        return;
    }
    // Drawn once the dialog is confirmed: a running slideshow may move on while it is open.
    services_.printing->printPicture(this, CheckBox2->isChecked(), [this] {
        const Picture picture = Image2->picture();
        QImage bitmap(picture.width(), picture.height(), QImage::Format_RGB32);
        bitmap.fill(Qt::white);
        QPainter onBitmap(&bitmap);
        drawPicture(picture, onBitmap, bitmap.rect());
        onBitmap.end();
        return bitmap;
    });
}

void TzorvForm1::ActCharPrintExecute() {
    if (services_.printing) {
        services_.printing->printDocument(this, *RichEdit1->printableDocument());
    }
}

} // namespace velmoa
