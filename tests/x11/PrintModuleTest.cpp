// The print buttons under a window manager, as the program prints: the print module is opened on the
// first print and shows Qt's print dialog over the window; nothing of the print support is loaded
// before.
#include "FormHarness.h"

#include "print/ModulePrinting.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QTimer>

using namespace velmoa;
using namespace velmoa::testing;

namespace {

QString mappedFiles() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) ? QString::fromUtf8(maps.readAll()) : QString();
}

struct SeenDialog {
    bool shown = false;
    QWidget* parent = nullptr;
    int printerBoxes = 0;
};

// Triggers the action and cancels the modal dialog it opens, as a user would, noting what it was.
SeenDialog triggerAndCancel(QAction* action) {
    SeenDialog seen;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog && dialog->isVisible()) {
            seen = {true, dialog->parentWidget(),
                    static_cast<int>(dialog->findChildren<QComboBox*>().size())};
            dialog->reject();
        }
    });
    poll.start(50);
    action->trigger();
    return seen;
}

} // namespace

using PrintModule = FormTest;

TEST_F(PrintModule, FirstPrintOpensTheModuleWhoseDialogShowsOverTheWindow) {
    ModulePrinting printing(VELMOA_PRINT_MODULE);
    form = std::make_unique<TzorvForm1>(FormServices{&chooser, &desktop, &printing});
    showForm({writeJpeg(dir, "a.jpg", 64, 48)});
    for (const char* library : {"libQt6PrintSupport", "libcups", "libvelmoa-print"}) {
        EXPECT_FALSE(mappedFiles().contains(QLatin1String(library))) << library;
    }
    struct Row {
        const char* file;
        QAction* TzorvForm1::*action;
    };
    const Row rows[] = {{"a.jpg", &TzorvForm1::ActPrint}, {"memo.txt", &TzorvForm1::ActCharPrint}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        if (std::string(row.file) == "memo.txt") {
            drop(writeFile(dir, row.file, "memo\n"));
        }
        const SeenDialog seen = triggerAndCancel(form.get()->*row.action);
        EXPECT_TRUE(seen.shown);
        EXPECT_EQ(seen.parent, form.get());
        // The printer's name is chosen in a box of the dialog.
        EXPECT_GE(seen.printerBoxes, 1);
        EXPECT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join('\n').toStdString();
    }
    for (const char* library : {"libQt6PrintSupport", "libvelmoa-print"}) {
        EXPECT_TRUE(mappedFiles().contains(QLatin1String(library))) << library;
    }
}
