#include "print/ModulePrinting.h"

#include "base/Failure.h"
#include "platform/RuntimeLibrary.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace velmoa {
namespace {

// The module's entry point (print/module/PrintModuleEntry.cpp): a new printing that shows dialog.
using CreatePrintJobs = PrintJobs*(PrintDialog* dialog);

} // namespace

ModulePrinting::ModulePrinting(std::string modulePath, PrintDialog* dialog)
    : modulePath_(std::move(modulePath)), dialog_(dialog) {}

ModulePrinting::~ModulePrinting() = default;

std::string ModulePrinting::programModule() {
    const QString programDir = QCoreApplication::applicationDirPath() + u'/';
    const QString installed = programDir + QStringLiteral(VELMOA_PRINT_MODULE_FROM_PROGRAM);
    const QString inBuildTree = programDir + QStringLiteral(VELMOA_PRINT_MODULE_FILE);
    return (QFileInfo::exists(installed) || !QFileInfo::exists(inBuildTree) ? installed : inBuildTree)
        .toStdString();
}

PrintJobs& ModulePrinting::jobs() {
    if (jobs_) {
        return *jobs_;
    }
    auto library = std::make_unique<RuntimeLibrary>(modulePath_.c_str());
    CreatePrintJobs* create = nullptr;
    if (!library->bind("velmoa_print_jobs", create)) {
        throw Failure("印刷機能を読み込めません: " + (library->loaded()
                                                          ? modulePath_ + " は印刷モジュールではありません"
                                                          : library->error()));
    }
    library_ = std::move(library);
    jobs_.reset(create(dialog_));
    return *jobs_;
}

void ModulePrinting::printPicture(QWidget* window, bool landscape, const std::function<QImage()>& bitmap) {
    jobs().printPicture(window, landscape, bitmap);
}

void ModulePrinting::printDocument(QWidget* window, const QTextDocument& document) {
    jobs().printDocument(window, document);
}

} // namespace velmoa
