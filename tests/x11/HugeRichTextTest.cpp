// A rich-text table of 64 columns by 3 000 rows under a real X server: it shows its first rows and
// the window answers its keys while the rest is read (that the rest comes is the control's test).
#include "FormHarness.h"

#include "app/TAboutBox.h"
#include "controls/RichTextControl.h"

#include <QTest>
#include <QTextDocument>

using namespace velmoa;
using namespace velmoa::testing;

namespace {
class HugeRichText : public FormTest {};

std::string ruledTable(int rows, int columns) {
    std::string out =
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\froman Times New Roman;}}{\\colortbl;\\red255\\green0\\blue0;}";
    for (int row = 0; row < rows; ++row) {
        out += "\\trowd\\trgaph108";
        for (int column = 0; column < columns; ++column) {
            out +=
                "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs"
                "\\brdrw10\\cellx" +
                std::to_string((column + 1) * 140);
        }
        for (int column = 0; column < columns; ++column) {
            out += "\\pard\\intbl\\fs20" + std::string(column % 7 == 0 ? "\\cf1 " : " ") +
                   std::to_string(row) + "-" + std::to_string(column) + "\\cell";
        }
        out += "\\row\n";
    }
    return out + "\\pard End\\par}";
}
} // namespace

TEST_F(HugeRichText, ABigTableLeavesTheWindowAnswering) {
    form = std::make_unique<TzorvForm1>(FormServices{&chooser, &desktop});
    TAboutBox about;
    form->setAboutBox(&about);
    showForm();
    drop(writeFile(dir, "table.rtf", ruledTable(3000, 64)));
    EXPECT_TRUE(form->RichEdit1->fillingIn());
    EXPECT_FALSE(form->RichEdit1->document()->find(QStringLiteral("0-0")).isNull());

    QTest::keySequence(form->windowHandle(), QKeySequence(QStringLiteral("Ctrl+H")));
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&about)) << "the About box did not come";
    // It came while the table was still being read.
    EXPECT_TRUE(form->RichEdit1->fillingIn());
    about.hide();
    EXPECT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join(QLatin1Char('\n')).toStdString();
}
