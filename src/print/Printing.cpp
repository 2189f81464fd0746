// Printing the shown picture on one page and the document page by page.
#include "app/TzorvForm1.h"
#include "controls/ImageControl.h"
#include "controls/RichTextControl.h"
#include "platform/Failure.h"
#include "platform/PrintDialog.h"
#include "platform/PrintService.h"
#include "print/PaperText.h"
#include "print/PrintGeometry.h"

#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>
#include <QTextFrame>

namespace velmoa {
namespace {

void startPainting(QPainter& painter, QPrinter& printer) {
    if (!painter.begin(&printer)) {
        throw Failure("印刷を開始できません");
    }
}

// Ends the job, which hands it to the print service, and reports a job the service refused.
void endPainting(QPainter& painter, const QPrinter& printer) {
    painter.end();
    const std::string refusal = printServiceRefusal(printer);
    if (!refusal.empty()) {
        throw Failure("印刷できませんでした: " + refusal);
    }
}

} // namespace

QPrinter& TzorvForm1::printer() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    return *printer_;
}

void TzorvForm1::ActPrintExecute() {
    if (!services_.printDialog || !services_.printDialog->execute(printer(), this)) {
        return;
    }
    printer().setPageOrientation(CheckBox2->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPainter painter;
    startPainting(painter, printer());
    const Picture picture = Image2->picture();
    const int width = picture.width();
    const int height = picture.height();
    QImage bitmap(width, height, QImage::Format_RGB32);
    bitmap.fill(Qt::white);
    {
        QPainter onBitmap(&bitmap);
        picture.draw(onBitmap, bitmap.rect());
    }
    const QRect page = printer().pageLayout().paintRectPixels(printer().resolution());
    const PrintSize target = pictureOnPage(width, height, page.width(), page.height());
    // At the top-left corner of the printable area, never centred.
    painter.drawImage(QRect(0, 0, target.width, target.height), bitmap);
    endPainting(painter, printer());
}

void TzorvForm1::ActCharPrintExecute() {
    if (!services_.printDialog || !services_.printDialog->execute(printer(), this)) {
        return;
    }
    printer().setDocName(windowTitle());
    std::unique_ptr<QTextDocument> document(RichEdit1->document()->clone());
    makeTextReadableOnPaper(*document);
    QPainter painter;
    startPainting(painter, printer());
    // The whole printable area, without margins; each page starts where the last one ended.
    const QRect page = printer().pageLayout().paintRectPixels(printer().resolution());
    document->documentLayout()->setPaintDevice(&printer());
    document->rootFrame()->setFrameFormat([&] {
        QTextFrameFormat format = document->rootFrame()->frameFormat();
        format.setMargin(0);
        return format;
    }());
    document->setPageSize(page.size());
    const int pages = std::max(1, document->pageCount());
    for (int index = 0; index < pages; ++index) {
        if (index > 0) {
            printer().newPage();
        }
        painter.save();
        painter.translate(0, -index * page.height());
        const QRectF clip(0, index * page.height(), page.width(), page.height());
        QAbstractTextDocumentLayout::PaintContext context;
        // The layout draws every line that touches its clip, so a line starting exactly on the lower
        // edge, the next page's first, would come out here too (invisible, yet found by search and copy).
        context.clip = clip.adjusted(0, 0, 0, -1);
        context.palette.setColor(QPalette::Text, Qt::black);
        painter.setClipRect(clip);
        document->documentLayout()->draw(&painter, context);
        painter.restore();
    }
    endPainting(painter, printer());
}

} // namespace velmoa
