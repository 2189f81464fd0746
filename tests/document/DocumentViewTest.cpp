#include "FormHarness.h"

#include "app/Colours.h"
#include "controls/Panel.h"
#include "controls/PlainTextView.h"
#include "controls/RichTextControl.h"

#include <QAction>
#include <QLabel>
#include <QTextBlock>
#include <QTextDocument>
#include <sys/stat.h>

using namespace velmoa;
using namespace velmoa::testing;

namespace {
class DocumentView : public FormTest {
  protected:
    QString shownText() const { return form->RichEdit1->toPlainText(); }
    QColor background() const { return form->RichEdit1->palette().color(QPalette::Base); }
};
} // namespace

TEST_F(DocumentView, ChoosesRichPlainTextOrHexDumpByExtensionAndContent) {
    showForm();
    struct Row {
        std::string name;
        std::string bytes;
        QString text;
        QColor background;
    };
    const std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Hello \\b bold\\b0 .\\par}";
    const std::string utf16 = std::string("\xFF\xFEh\0i\0", 6);
    const Row rows[] = {
        {"a.rtf", rtf, QStringLiteral("Hello bold."), clWhite},
        {"b.RTF", "plain words", QStringLiteral("plain words"), clWhite},
        {"c.htm", "<p>x</p>\n", QStringLiteral("<p>x</p>\n"), clBlack},
        {"d.csv", "a,b\x0c\n", QStringLiteral("a,b\x0c\n"),
         clBlack}, // listed: shown whole, control bytes too
        {"e.txt", "日本語\n", QStringLiteral("日本語\n"), clBlack},
        {"f.txt", "\x93\xfa\x96\x7b", QStringLiteral("日本"), clBlack}, // Shift-JIS
        {"g.dat", "", QString(), clBlack},
        {"h.dat", std::string("AB\0C\x1b", 5), QStringLiteral("0000 : 41 42 00 43 1B "), clBlack},
        {"i.txt", utf16, QStringLiteral("0000 : FF FE 68 00 69 00 "), clBlack},
    };
    for (const Row& row : rows) {
        drop(writeFile(dir, row.name, row.bytes));
        EXPECT_TRUE(reporter.messages.isEmpty()) << row.name << reporter.messages.join('\n').toStdString();
        EXPECT_EQ(shownText().trimmed(), row.text.trimmed()) << row.name;
        EXPECT_EQ(background(), row.background) << row.name;
        EXPECT_TRUE(form->MojiPanel->isVisible());
        EXPECT_TRUE(form->CoolBar2->isVisible());
    }
}

TEST_F(DocumentView, ByteViewShowsOnlyTheFirst16384Bytes) {
    showForm();
    std::string text(20000, 'x');
    text[16384] = '\x01'; // past the judged bytes: no effect
    drop(writeFile(dir, "long.log", text));
    EXPECT_EQ(shownText().size(), 16384);
    text[16383] = '\x01';
    drop(writeFile(dir, "long2.log", text));
    EXPECT_EQ(form->RichEdit1->plainTextView()->lines().lineCount(), 1024);
    EXPECT_TRUE(shownText().contains(QStringLiteral("3FF0 : ")));
    EXPECT_EQ(form->SizePanel->text(), QStringLiteral("19.53 KB"));
}

TEST_F(DocumentView, ACharacterCutByTheByteLimitKeepsTheEncoding) {
    showForm();
    const auto repeated = [](const std::string& piece, int times) {
        std::string out;
        for (int i = 0; i < times; ++i) {
            out += piece;
        }
        return out;
    };
    struct Row {
        const char* name;
        std::string bytes;
        QString expected;
    };
    const Row rows[] = {
        // 2 + 3 × 5460 = 16382: the limit splits the next character after its second byte.
        {"utf8.txt", "aa" + repeated("日本", 5500),
         QStringLiteral("aa") + QString(QStringLiteral("日本")).repeated(2730)},
        // 1 + 2 × 8191 = 16383: the limit keeps the lead byte of the next character only.
        {"sjis.txt", "a" + repeated("\x93\xFA", 8300),
         QStringLiteral("a") + QStringLiteral("日").repeated(8191)},
        // The whole character fits: nothing is left out.
        {"whole.txt", "a" + repeated("\xE6\x97\xA5", 5461) + "b",
         QStringLiteral("a") + QStringLiteral("日").repeated(5461)},
    };
    for (const Row& row : rows) {
        drop(writeFile(dir, row.name, row.bytes));
        EXPECT_TRUE(reporter.messages.isEmpty()) << row.name;
        EXPECT_EQ(shownText(), row.expected) << row.name;
    }
}

TEST_F(DocumentView, AFileGoneBeforeTheByteReadGivesTheInputOutputMessage) {
    showForm();
    const std::string folder = dir.path().toStdString() + "/\x93\xFA.d";
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0); // a Shift-JIS name, not valid UTF-8
    struct Row {
        std::string path;
        QString message;
    };
    const Row rows[] = {
        {dir.path().toStdString() + "/\x93\xFA\x96\x7B.txt", QStringLiteral("File not found")},
        {folder, QStringLiteral("File access denied")},
    };
    for (const Row& row : rows) {
        reporter.messages.clear();
        // As if the file vanished, or was replaced, after its size was shown.
        form->FilePath = row.path;
        runReported([this] { form->ShowDocument(".TXT"); });
        EXPECT_EQ(reporter.messages, QStringList{row.message});
    }
}

TEST_F(DocumentView, TextAreaLiesBelowTheToolBarAndKeepsItsSizeUntilTheNextDocument) {
    showForm();
    drop(writeFile(dir, "a.ini", "x"));
    const int bar = form->CoolBar2->height();
    EXPECT_EQ(form->RichEdit1->geometry(), QRect(0, bar, 640, 480 - bar));
    form->resize(800, 600);
    EXPECT_EQ(form->RichEdit1->geometry(), QRect(0, bar, 640, 480 - bar));
    drop(writeFile(dir, "b.ini", "y"));
    EXPECT_EQ(form->RichEdit1->geometry(), QRect(0, bar, 800, 600 - bar));
}
