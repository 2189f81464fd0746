// Printing through a CUPS print service: a private scheduler with a PDF queue, the real print
// dialog's printer list, and the pages of what the window prints, read back with poppler.
#include "FormHarness.h"
#include "PrivateCupsServer.h"

#include "app/Fonts.h"
#include "print/module/DialogPrinting.h"
#include "print/module/PrintDialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QImage>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QTimer>

#include <cstdlib>

using namespace velmoa;
using namespace velmoa::testing;

namespace {

PrivateCupsServer* server = nullptr;

// The queue's imageable area leaves 18 points on every side of an A4 sheet (595 x 842 points).
constexpr double kMargin = 18, kSheetShort = 595, kSheetLong = 842;

// Chooses the private queue, as a user would in the print dialog.
class QueueChoosingDialog : public PrintDialog {
  public:
    bool execute(QPrinter& printer, QWidget*) override {
        printer.setPrinterName(QLatin1String(PrivateCupsServer::queue));
        return true;
    }
};

QString pdfInfo(const QString& pdf, const char* field) {
    const QString info = runProgram(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpression line(QStringLiteral("^%1:\\s*(.*)$").arg(QLatin1String(field)),
                                  QRegularExpression::MultilineOption);
    return line.match(info).captured(1).trimmed();
}

QString pdfText(const QString& pdf, int page) {
    return runProgram(QStringLiteral("pdftotext"),
                      {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                       QString::number(page), QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf,
                       QStringLiteral("-")});
}

// The first page rendered at 72 dots per inch, one pixel to the point.
QImage pdfPicture(const QString& pdf, const QString& scratch) {
    runProgram(QStringLiteral("pdftoppm"),
               {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-png"),
                QStringLiteral("-singlefile"), pdf, scratch + QStringLiteral("/page")});
    return QImage(scratch + QStringLiteral("/page.png"));
}

// The bounding box of the pixels that are clearly red.
QRect redArea(const QImage& page) {
    QRect area;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 80 && c.blue() < 80) {
                area |= QRect(x, y, 1, 1);
            }
        }
    }
    return area;
}

class PrintService : public FormTest {
  protected:
    static void SetUpTestSuite() {
        server = new PrivateCupsServer;
        if (server->error().isEmpty()) {
            // NOLINTNEXTLINE(concurrency-mt-unsafe): before the suite's tests, on the one test thread
            setenv("CUPS_SERVER", server->socketPath().toLocal8Bit().constData(), 1);
            installFontSubstitutes();
        }
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        if (!server->error().isEmpty()) {
            GTEST_SKIP() << "no private CUPS server: " << server->error().toStdString();
        }
        installFailureReporter(&reporter);
        form = std::make_unique<TzorvForm1>(FormServices{&chooser, &desktop, &printing});
        QFile::remove(server->outputPath());
    }
    // Triggers the action and waits for the job to come out of the queue.
    QString print(QAction* action) {
        action->trigger();
        EXPECT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join('\n').toStdString();
        EXPECT_TRUE(server->waitUntilIdle()) << server->logTail().toStdString();
        EXPECT_TRUE(QFile::exists(server->outputPath())) << server->logTail().toStdString();
        return server->outputPath();
    }
    QueueChoosingDialog dialog;
    DialogPrinting printing{&dialog};
};

} // namespace

TEST_F(PrintService, PrintDialogListsTheServersQueue) {
    EXPECT_TRUE(QPrinterInfo::availablePrinterNames().contains(QLatin1String(PrivateCupsServer::queue)));
    // The real dialog: its printer box offers the queue.
    QStringList offered;
    QTimer::singleShot(0, [&offered] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            return;
        }
        for (QComboBox* box : modal->findChildren<QComboBox*>()) {
            for (int i = 0; i < box->count(); ++i) {
                offered << box->itemText(i);
            }
        }
        static_cast<QDialog*>(modal)->reject();
    });
    QPrinter printer;
    QtPrintDialog real;
    EXPECT_FALSE(real.execute(printer, form.get()));
    EXPECT_TRUE(offered.contains(QLatin1String(PrivateCupsServer::queue)))
        << offered.join(u',').toStdString();
}

TEST_F(PrintService, PictureFillsOneSideOfThePageFromTheTopLeftCorner) {
    struct Row {
        bool landscape;
        double sheetWidth, sheetHeight;
        QRectF picture; // in points: 64 x 48 scaled to the printable width or height
    };
    const double printableShort = kSheetShort - 2 * kMargin;
    const Row rows[] = {
        {false, kSheetShort, kSheetLong, {kMargin, kMargin, printableShort, printableShort * 48 / 64}},
        {true, kSheetLong, kSheetShort, {kMargin, kMargin, printableShort * 64 / 48, printableShort}},
    };
    showForm({writeJpeg(dir, "red.jpg", 64, 48, Qt::red)});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.landscape ? "landscape" : "portrait");
        QFile::remove(server->outputPath());
        form->CheckBox2->setChecked(row.landscape);
        const QString pdf = print(form->ActPrint);
        EXPECT_EQ(pdfInfo(pdf, "Pages"), QStringLiteral("1"));
        EXPECT_TRUE(pdfInfo(pdf, "Page size")
                        .startsWith(QStringLiteral("%1 x %2 pts").arg(row.sheetWidth).arg(row.sheetHeight)))
            << pdfInfo(pdf, "Page size").toStdString();
        const QImage page = pdfPicture(pdf, dir.path());
        ASSERT_FALSE(page.isNull());
        EXPECT_EQ(page.size(), QSize(qRound(row.sheetWidth), qRound(row.sheetHeight)));
        const QRect red = redArea(page);
        EXPECT_NEAR(red.left(), row.picture.left(), 1.5);
        EXPECT_NEAR(red.top(), row.picture.top(), 1.5);
        EXPECT_NEAR(red.width(), row.picture.width(), 2);
        EXPECT_NEAR(red.height(), row.picture.height(), 2);
        // The embedded picture keeps its own pixels; the page scales it.
        EXPECT_TRUE(runProgram(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf})
                        .contains(QRegularExpression(QStringLiteral("\\s64\\s+48\\s"))));
    }
}

TEST_F(PrintService, JapaneseDocumentPrintsOnTwoPagesWithNothingLostOrRepeated) {
    // Eighty lines: more than a page and less than two at any usual line height of 12-point type.
    constexpr int kLines = 80;
    std::string text;
    for (int i = 1; i <= kLines; ++i) {
        text += "第" + std::to_string(i) + "行　日本語の文書を印刷します\n";
    }
    showForm({writeFile(dir, "文書.txt", text)});
    const QString pdf = print(form->ActCharPrint);
    ASSERT_EQ(pdfInfo(pdf, "Pages"), QStringLiteral("2")) << server->logTail().toStdString();
    EXPECT_TRUE(pdfInfo(pdf, "Title").contains(QStringLiteral("Velmoa")))
        << pdfInfo(pdf, "Title").toStdString();
    EXPECT_TRUE(pdfInfo(pdf, "Title").contains(QStringLiteral("文書.txt")))
        << pdfInfo(pdf, "Title").toStdString();
    const QString first = pdfText(pdf, 1), second = pdfText(pdf, 2);
    EXPECT_TRUE(first.contains(QStringLiteral("日本語の文書を印刷します"))) << first.toStdString();
    const QRegularExpression lineNumber(QStringLiteral("第(\\d+)行"));
    // Every line once, in order, the first page's before the second's.
    QList<int> numbers;
    QList<int> perPage;
    for (const QString& pageText : {first, second}) {
        int count = 0;
        for (auto match = lineNumber.globalMatch(pageText); match.hasNext(); ++count) {
            numbers << match.next().captured(1).toInt();
        }
        perPage << count;
    }
    QList<int> expected;
    for (int i = 1; i <= kLines; ++i) {
        expected << i;
    }
    EXPECT_EQ(numbers, expected) << first.toStdString() << "\n----\n" << second.toStdString();
    EXPECT_GT(perPage.value(1), 0);
    // The Japanese text is set in the IPA font the view asks for, embedded in the file.
    EXPECT_TRUE(runProgram(QStringLiteral("pdffonts"), {pdf}).contains(QStringLiteral("IPA")));
}

TEST_F(PrintService, JobTheServiceRefusesIsReported) {
    struct Row {
        const char* file;
        QAction* TzorvForm1::*action;
    };
    const Row rows[] = {{"magenta.jpg", &TzorvForm1::ActPrint}, {"memo.txt", &TzorvForm1::ActCharPrint}};
    ASSERT_TRUE(server->setAccepting(false));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        reporter.messages.clear();
        const std::string path = std::string(row.file) == "memo.txt"
                                     ? writeFile(dir, row.file, "memo\n")
                                     : writeJpeg(dir, row.file, 8, 8, Qt::magenta);
        drop(path);
        (form.get()->*row.action)->trigger();
        ASSERT_EQ(reporter.messages.size(), 1);
        EXPECT_TRUE(reporter.messages.first().startsWith(QStringLiteral("印刷できませんでした: ")))
            << reporter.messages.first().toStdString();
        EXPECT_FALSE(QFile::exists(server->outputPath()));
    }
    ASSERT_TRUE(server->setAccepting(true));
    // Taken again once the queue accepts jobs.
    reporter.messages.clear();
    print(form->ActCharPrint);
}
