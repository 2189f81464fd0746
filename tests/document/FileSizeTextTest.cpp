#include "document/FileSizeText.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace velmoa;

TEST(FileSizeText, ChoosesUnitRoundsAndGroups) {
    const std::pair<std::int64_t, std::string> rows[] = {
        {0, "0 byt"},
        {1, "1 byt"},
        {500, "500 byt"},
        {1023, "1,023 byt"},
        {1024, "1 KB"},
        {1152, "1.13 KB"}, // 1.125: the half goes away from zero, not to the even 1.12
        {1536, "1.5 KB"},
        {1034, "1.01 KB"},  // 1.009765625
        {1029, "1 KB"},     // 1.0048828125: both decimals round to zero and go
        {1039, "1.01 KB"},  // 1.0146484375
        {10216, "9.98 KB"}, // 9.9765625
        {10234, "9.99 KB"}, // 9.994140625
        {10235, "10 KB"},   // 9.9951171875: the half at the third decimal carries into the integer part
        {10236, "10 KB"},
        {1000000, "976.56 KB"}, // 976.5625
        {1048575, "1,024 KB"},  // just under the MB threshold, rounded up
        {1048576, "1 MB"},
        {1234567, "1.18 MB"},
        {123456789, "117.74 MB"},
        {1179648, "1.13 MB"}, // 1.125 MB
        {1703936, "1.63 MB"}, // 1.625 MB: away from zero, where half to even would give 1.62
        {1053818, "1 MB"},    // 1.00499916...
        {2147483647, "2,048 MB"},
        {2147483648, "2,048 MB"},
        {3221225472, "3,072 MB"},
        {1099511627776, "1,048,576 MB"},
        {std::int64_t{1} << 50, "1,073,741,824 MB"},
    };
    for (const auto& [size, text] : rows) {
        EXPECT_EQ(fileSizeText(size), text) << size;
    }
}

TEST(FileSizeText, UsesTheGivenSeparators) {
    EXPECT_EQ(fileSizeText(1234567890, '.', ','), "1.177,38 MB");
    EXPECT_EQ(fileSizeText(1152, '.', ','), "1,13 KB");
    EXPECT_EQ(fileSizeText(1023, ' ', ','), "1 023 byt");
}

TEST(FileSizeText, TakesSeparatorsFromTheLocale) {
    struct Row {
        QLocale locale;
        std::int64_t size;
        std::string text;
    };
    const Row rows[] = {
        {QLocale(QLocale::Japanese, QLocale::Japan), 1234567890, "1,177.38 MB"},
        {QLocale(QLocale::German, QLocale::Germany), 1234567890, "1.177,38 MB"},
        // French groups with a narrow no-break space: a plain blank stands in for it
        {QLocale(QLocale::French, QLocale::France), 1234567890, "1 177,38 MB"},
    };
    const QLocale saved;
    for (const auto& row : rows) {
        QLocale::setDefault(row.locale);
        EXPECT_EQ(fileSizeTextForLocale(row.size), row.text) << row.locale.name().toStdString();
    }
    QLocale::setDefault(saved);
}
