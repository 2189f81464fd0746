// Printing the shown picture on one page and the document page by page.
#include "print/module/DialogPrinting.h"

#include "base/Failure.h"
#include "print/module/PaperText.h"
#include "print/module/PrintDialog.h"
#include "print/module/PrintGeometry.h"
#include "print/module/PrintService.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>
#include <QTextFrame>
#include <QWidget>

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

DialogPrinting::DialogPrinting(PrintDialog* dialog)
    : ownDialog_(dialog ? nullptr : std::make_unique<QtPrintDialog>()),
      dialog_(dialog ? dialog : ownDialog_.get()) {}

DialogPrinting::~DialogPrinting() = default;

QPrinter& DialogPrinting::printer() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    return *printer_;
}

void DialogPrinting::printPicture(QWidget* window, bool landscape, const std::function<QImage()>& bitmap) {
    QPrinter& printer = this->printer();
    if (!dialog_->execute(printer, window)) {
        return;
    }
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPainter painter;
    startPainting(painter, printer);
    const QImage picture = bitmap();
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const PrintSize target = pictureOnPage(picture.width(), picture.height(), page.width(), page.height());
    // At the top-left corner of the printable area, never centred.
    painter.drawImage(QRect(0, 0, target.width, target.height), picture);
    endPainting(painter, printer);
}

void DialogPrinting::printDocument(QWidget* window, const QTextDocument& source) {
    QPrinter& printer = this->printer();
    if (!dialog_->execute(printer, window)) {
        return;
    }
    printer.setDocName(window ? window->windowTitle() : QString());
    std::unique_ptr<QTextDocument> document(source.clone());
    makeTextReadableOnPaper(*document);
    QPainter painter;
    startPainting(painter, printer);
    // The whole printable area, without margins; each page starts where the last one ended.
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    document->documentLayout()->setPaintDevice(&printer);
    document->rootFrame()->setFrameFormat([&] {
        QTextFrameFormat format = document->rootFrame()->frameFormat();
        format.setMargin(0);
        return format;
    }());
    document->setPageSize(page.size());
    const int pages = std::max(1, document->pageCount());
    for (int index = 0; index < pages; ++index) {
        if (index > 0) {
            printer.newPage();
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
    endPainting(painter, printer);
}

} // namespace velmoa
