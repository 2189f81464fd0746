#pragma once

#include "print/PrintJobs.h"

#include <memory>
#include <string>

namespace velmoa {

class PrintDialog;
class RuntimeLibrary;

// Printing done by the print module, opened on the first print. Qt's print support and the print
// service's client (with the twenty-odd libraries it pulls in) are loaded only then, so a start that
// never prints neither waits for them nor holds their memory.
class ModulePrinting : public PrintJobs {
  public:
    // modulePath: the module's file; dialog: the print dialog the module shows (nullptr: Qt's own).
    explicit ModulePrinting(std::string modulePath, PrintDialog* dialog = nullptr);
    ~ModulePrinting() override;

    // The program's module: in lib/velmoa/ of the installation, or beside the program in the build tree.
    static std::string programModule();

    void printPicture(QWidget* window, bool landscape, const std::function<QImage()>& bitmap) override;
    void printDocument(QWidget* window, const QTextDocument& document) override;

  private:
    // The module's printing, loaded on the first call; a Failure when the module cannot be loaded.
    PrintJobs& jobs();

    std::string modulePath_;
    PrintDialog* dialog_;
    std::unique_ptr<RuntimeLibrary> library_; // never unloaded: its code outlives the jobs' objects
    std::unique_ptr<PrintJobs> jobs_;
};

} // namespace velmoa
