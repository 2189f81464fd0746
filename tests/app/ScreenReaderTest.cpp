// What assistive technology reads from the window's indicators.
#include "FormHarness.h"

#include <QAccessible>
#include <QLabel>

using namespace velmoa;
using namespace velmoa::testing;

using ScreenReader = FormTest;

TEST_F(ScreenReader, IndicatorsReadTheirValuesWithTheirWordsAsDescription) {
    writeJpeg(dir, "a.jpg", 8, 8);
    const std::string second = writeJpeg(dir, "b.jpg", 8, 8);
    writeJpeg(dir, "c.jpg", 8, 8);
    const std::string document = writeFile(dir, "d.dat", std::string(1152, 'x'));
    showForm({second, document});
    struct Row {
        QLabel* indicator;
        QLabel* label;
        QString value;
        QString word;
    };
    const Row rows[] = {
        {form->CounterPanel, form->Label2, QStringLiteral("2/3"), QStringLiteral("カウンタ")},
        {form->SizePanel, form->Label5, QStringLiteral("1.13 KB"), QStringLiteral("サイズ")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.word.toStdString());
        ASSERT_EQ(row.indicator->text(), row.value);
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(row.indicator);
        ASSERT_NE(reader, nullptr);
        EXPECT_EQ(reader->text(QAccessible::Name), row.value);
        EXPECT_TRUE(reader->text(QAccessible::Description).contains(row.word))
            << reader->text(QAccessible::Description).toStdString();
        // The word beside it is its label.
        bool labelled = false;
        for (const auto& [other, relation] : reader->relations(QAccessible::Label)) {
            labelled = labelled || other->object() == row.label;
        }
        EXPECT_TRUE(labelled);
    }
}
