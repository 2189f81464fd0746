#pragma once

#include <functional>

class QImage;
class QTextDocument;
class QWidget;

namespace velmoa {

// Printing as the window asks for it. Each call shows the print dialog over the window first and
// prints only when the user confirms it; a failure is thrown as a Failure. No type of Qt's print
// support appears here: the program loads that (and the print service's client) on the first print.
class PrintJobs {
  public:
    virtual ~PrintJobs() = default;
    // The picture that bitmap() draws, called once the dialog is confirmed, on one page.
    virtual void printPicture(QWidget* window, bool landscape, const std::function<QImage()>& bitmap) = 0;
    // The document page by page, the job named after the window's title.
    virtual void printDocument(QWidget* window, const QTextDocument& document) = 0;
};

} // namespace velmoa
