// Text files of very many lines under a real X server: each shows its first screen and the window
// answers its keys while the rest comes in.
#include "FormHarness.h"

#include "app/TAboutBox.h"
#include "controls/PlainTextView.h"
#include "controls/RichTextControl.h"

#include <QTest>
#include <functional>

using namespace velmoa;
using namespace velmoa::testing;

namespace {
class HugeText : public FormTest {};

std::string repeatedLines(int count, const std::function<std::string(int)>& line) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += line(i);
    }
    return out;
}

// CP932 bytes of a line of a Japanese table: "<n>,東京都千代田区,<n>\r\n".
std::string cp932Row(int n) {
    return std::to_string(n) + ",\x93\x8C\x8B\x9E\x93\x73\x90\xE7\x91\xE3\x93\x63\x8B\xE6," +
           std::to_string(n * 37 % 1000) + "\r\n";
}
} // namespace

TEST_F(HugeText, FilesOfVeryManyLinesLeaveTheWindowAnswering) {
    constexpr int kMillion = 999'999; // lines, the last left empty: within the line limit
    const struct {
        const char* name;
        std::string file;
        std::function<std::string()> bytes;
        QString firstLine;
        qsizetype lines;
    } rows[] = {
        {"a million one-character lines", "million.c",
         [] { return repeatedLines(kMillion, [](int) { return "x\n"; }); }, QStringLiteral("x"),
         kMillion + 1},
        {"a million lines ended by CR", "million.ini",
         [] { return repeatedLines(kMillion, [](int) { return "y\r"; }); }, QStringLiteral("y"),
         kMillion + 1},
        {"900 000 short lines of a table", "table.csv",
         [] { return repeatedLines(900'000, [](int i) { return std::to_string(i) + ",ab\n"; }); },
         QStringLiteral("0,ab"), 900'001},
        {"600 000 empty lines", "empty.htm", [] { return std::string(600'000, '\n'); }, QString(), 600'001},
        {"10 MB of Shift-JIS", "table.ini", [] { return repeatedLines(330'000, cp932Row); },
         QStringLiteral("0,東京都千代田区,0"), 330'001},
    };
    form = std::make_unique<TzorvForm1>(FormServices{&chooser, &desktop});
    TAboutBox about;
    form->setAboutBox(&about);
    showForm();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = writeFile(dir, row.file, row.bytes());
        drop(path);
        const PlainTextView* plain = form->RichEdit1->plainTextView();
        EXPECT_EQ(plain->lines().line(0), row.firstLine);

        QTest::keySequence(form->windowHandle(), QKeySequence(QStringLiteral("Ctrl+H")));
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&about)) << "the About box did not come";
        about.hide();

        ASSERT_TRUE(QTest::qWaitFor([&] { return !form->RichEdit1->fillingIn(); }, 120000));
        EXPECT_EQ(plain->lines().lineCount(), row.lines);
        EXPECT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join(QLatin1Char('\n')).toStdString();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
}
