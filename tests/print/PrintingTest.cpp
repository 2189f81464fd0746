#include "FormHarness.h"

#include "controls/RichTextControl.h"
#include "print/ModulePrinting.h"
#include "print/module/DialogPrinting.h"
#include "print/module/PaperText.h"
#include "print/module/PrintDialog.h"
#include "print/module/PrintGeometry.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QPrinter>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>

using namespace velmoa;
using namespace velmoa::testing;

TEST(PrintGeometry, ScalesThePictureToOneSideOfThePage) {
    struct Row {
        int w, h, pageW, pageH, destW, destH;
    };
    const Row rows[] = {
        {640, 480, 4960, 7016, 4960, 3720},    // wider than the portrait page: fills its width
        {640, 480, 7016, 4960, 6613, 4960},    // landscape: fills the height, 6613.33 rounded
        {700, 1000, 7000, 10000, 7000, 10000}, // equal proportions take the height branch
        {32, 32, 4960, 7016, 4960, 4960},      {3, 2, 100, 100, 100, 67}, // 66.67 rounds up
    };
    for (const Row& r : rows) {
        const PrintSize size = pictureOnPage(r.w, r.h, r.pageW, r.pageH);
        EXPECT_EQ(size.width, r.destW) << r.w << "x" << r.h;
        EXPECT_EQ(size.height, r.destH) << r.w << "x" << r.h;
    }
    EXPECT_EQ(mulDiv(5, 1, 2), 3);
    EXPECT_EQ(mulDiv(-5, 1, 2), -3);
    EXPECT_EQ(mulDiv(2000000000, 3, 4), 1500000000);
}

TEST(PaperText, WhiteAndUncolouredTextTurnBlackOtherColoursStay) {
    QTextDocument document;
    QTextCursor cursor(&document);
    const auto insert = [&](const QString& text, const QColor* colour) {
        QTextCharFormat format;
        if (colour) {
            format.setForeground(*colour);
        }
        cursor.insertText(text, format);
    };
    const QColor white(Qt::white), red(Qt::red);
    insert(QStringLiteral("plain "), nullptr);
    insert(QStringLiteral("white "), &white);
    insert(QStringLiteral("red"), &red);
    makeTextReadableOnPaper(document);
    const auto colourAt = [&](int position) {
        QTextCursor at(&document);
        at.setPosition(position + 1);
        return at.charFormat().foreground().color();
    };
    EXPECT_EQ(colourAt(0), QColor(Qt::black));
    EXPECT_EQ(colourAt(6), QColor(Qt::black));
    EXPECT_EQ(colourAt(12), QColor(Qt::red));
    EXPECT_EQ(document.toPlainText(), QStringLiteral("plain white red"));
}

namespace {
// Chooses a PDF file as the printer, or cancels.
class PdfPrintDialog : public PrintDialog {
  public:
    bool execute(QPrinter& printer, QWidget*) override {
        ++calls;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        return accept;
    }
    QString path;
    bool accept = true;
    int calls = 0;
};

int pdfPageCount(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray bytes = file.readAll();
    return static_cast<int>(
        QString::fromLatin1(bytes).count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))));
}

class Printing : public FormTest {
  protected:
    void SetUp() override {
        installFailureReporter(&reporter);
        dialog.path = dir.path() + QStringLiteral("/out.pdf");
        form = std::make_unique<TzorvForm1>(FormServices{&chooser, &desktop, &printing});
    }
    // A window that prints as the program does, through the module opened from path.
    void printThroughModule(const std::string& path) {
        module = std::make_unique<ModulePrinting>(path, &dialog);
        form = std::make_unique<TzorvForm1>(FormServices{&chooser, &desktop, module.get()});
    }
    PdfPrintDialog dialog;
    DialogPrinting printing{&dialog};
    std::unique_ptr<ModulePrinting> module;
};
} // namespace

TEST_F(Printing, PicturePrintsOnOnePageInTheChosenOrientation) {
    showForm({writeJpeg(dir, "a.jpg", 64, 48)});
    form->CheckBox2->setChecked(true);
    form->ActPrint->trigger();
    EXPECT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join('\n').toStdString();
    EXPECT_EQ(pdfPageCount(dialog.path), 1);

    QFile::remove(dialog.path);
    dialog.accept = false;
    form->ActPrint->trigger();
    EXPECT_FALSE(QFile::exists(dialog.path));
}

TEST_F(Printing, DocumentPrintsPageAfterPageUnderTheCaption) {
    std::string lines;
    for (int i = 0; i < 400; ++i) {
        lines += "line " + std::to_string(i) + "\n";
    }
    showForm({writeFile(dir, "long.ini", lines)});
    form->ActCharPrint->trigger();
    EXPECT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join('\n').toStdString();
    EXPECT_GE(pdfPageCount(dialog.path), 3);

    drop(writeFile(dir, "empty.dat", ""));
    form->ActCharPrint->trigger();
    EXPECT_EQ(pdfPageCount(dialog.path), 1);
    EXPECT_EQ(dialog.calls, 2);
}

// The program's way: the module is opened on the first print and prints with the dialog it is given.
TEST_F(Printing, ModuleOpenedOnTheFirstPrintPrintsPictureAndDocument) {
    printThroughModule(VELMOA_PRINT_MODULE);
    showForm({writeJpeg(dir, "a.jpg", 64, 48)});
    form->ActPrint->trigger();
    EXPECT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join('\n').toStdString();
    EXPECT_EQ(pdfPageCount(dialog.path), 1);

    drop(writeFile(dir, "long.ini", std::string(300, '\n')));
    form->ActCharPrint->trigger();
    EXPECT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join('\n').toStdString();
    EXPECT_GE(pdfPageCount(dialog.path), 2);
    EXPECT_EQ(dialog.calls, 2);
}

TEST_F(Printing, ModuleThatCannotBeOpenedIsReportedAtEachPrintWithoutADialog) {
    struct Row {
        std::string path;
        const char* reason;
    };
    const std::string notALibrary = writeFile(dir, "libvelmoa-print.so", "not a library");
    const Row rows[] = {
        {dir.filePath(QStringLiteral("missing/libvelmoa-print.so")).toStdString(), "No such file"},
        {notALibrary, "libvelmoa-print.so"},
        // A library, but not the print module.
        {"libm.so.6", "印刷モジュールではありません"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        printThroughModule(row.path);
        reporter.messages.clear();
        showForm({writeJpeg(dir, "a.jpg", 64, 48)});
        form->ActPrint->trigger();
        form->ActPrint->trigger();
        ASSERT_EQ(reporter.messages.size(), 2);
        for (const QString& message : reporter.messages) {
            EXPECT_TRUE(message.startsWith(QStringLiteral("印刷機能を読み込めません: ")))
                << message.toStdString();
            EXPECT_TRUE(message.contains(QString::fromUtf8(row.reason))) << message.toStdString();
        }
        EXPECT_EQ(dialog.calls, 0);
    }
}
