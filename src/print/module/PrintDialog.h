#pragma once

class QPrinter;
class QWidget;

namespace velmoa {

// The print dialog: lets the user choose the printer and its settings; true on OK.
class PrintDialog {
  public:
    virtual ~PrintDialog() = default;
    virtual bool execute(QPrinter& printer, QWidget* parent) = 0;
};

// Qt's print dialog, without page ranges, selection or printing to a file.
class QtPrintDialog : public PrintDialog {
  public:
    bool execute(QPrinter& printer, QWidget* parent) override;
};

} // namespace velmoa
