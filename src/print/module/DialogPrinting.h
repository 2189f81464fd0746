#pragma once

#include "print/PrintJobs.h"

#include <memory>

class QPrinter;

namespace velmoa {

class PrintDialog;

// Printing through a print dialog onto a QPrinter, which keeps its settings from one print to the
// next (orientation, printer, job title).
class DialogPrinting : public PrintJobs {
  public:
    // dialog: the one to show; nullptr: Qt's own print dialog.
    explicit DialogPrinting(PrintDialog* dialog = nullptr);
    ~DialogPrinting() override;

    void printPicture(QWidget* window, bool landscape, const std::function<QImage()>& bitmap) override;
    void printDocument(QWidget* window, const QTextDocument& document) override;

  private:
    QPrinter& printer();

    std::unique_ptr<PrintDialog> ownDialog_;
    PrintDialog* dialog_;
    std::unique_ptr<QPrinter> printer_;
};

} // namespace velmoa
