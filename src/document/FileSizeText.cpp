#include "document/FileSizeText.h"

#include <QLocale>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace velmoa {
namespace {
// The value to two decimals as digit strings. The value is first taken to 18 significant digits,
// and that decimal is rounded half away from zero: 1.125 gives 1.13.
void roundToCents(double value, std::string& integerDigits, std::string& centDigits) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17e", value);
    std::string mantissa;
    const char* p = buffer;
    for (; *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9') {
            mantissa += *p;
        }
    }
    const int exponent = std::atoi(p + 1);
    // Lay the 18 digits out around the decimal point, with at least three decimals.
    std::string whole;
    std::string fraction;
    if (exponent >= 0) {
        const auto intCount = static_cast<std::size_t>(exponent) + 1;
        if (intCount >= mantissa.size()) {
            whole = mantissa + std::string(intCount - mantissa.size(), '0');
        } else {
            whole = mantissa.substr(0, intCount);
            fraction = mantissa.substr(intCount);
        }
    } else {
        whole = "0";
        fraction = std::string(static_cast<std::size_t>(-exponent - 1), '0') + mantissa;
    }
    fraction.resize(std::max<std::size_t>(fraction.size(), 3), '0');
    std::string digits = whole + fraction.substr(0, 2);
    if (fraction[2] >= '5') {
        std::size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9') {
            digits[--i] = '0';
        }
        if (i == 0) {
            digits.insert(digits.begin(), '1');
        } else {
            ++digits[i - 1];
        }
    }
    integerDigits = digits.substr(0, digits.size() - 2);
    centDigits = digits.substr(digits.size() - 2);
}

std::string formatNumber(double value, char thousandsSep, char decimalSep) {
    const bool negative = value < 0;
    std::string integerDigits;
    std::string centDigits;
    roundToCents(negative ? -value : value, integerDigits, centDigits);
    std::string text;
    for (std::size_t i = 0; i < integerDigits.size(); ++i) {
        if (i > 0 && (integerDigits.size() - i) % 3 == 0) {
            text += thousandsSep;
        }
        text += integerDigits[i];
    }
    while (!centDigits.empty() && centDigits.back() == '0') {
        centDigits.pop_back();
    }
    if (!centDigits.empty()) {
        text += decimalSep;
        text += centDigits;
    }
    if (negative && text.find_first_not_of(std::string("0") + thousandsSep) != std::string::npos) {
        text.insert(text.begin(), '-');
    }
    return text;
}
} // namespace

std::string fileSizeText(std::int64_t size, char thousandsSep, char decimalSep) {
    const double bytes = static_cast<double>(size);
    if (bytes >= 1048576.0) {
        return formatNumber(bytes / 1048576.0, thousandsSep, decimalSep) + " MB";
    }
    if (bytes >= 1024.0) {
        return formatNumber(bytes / 1024.0, thousandsSep, decimalSep) + " KB";
    }
    return formatNumber(bytes, thousandsSep, decimalSep) + " byt";
}

std::string fileSizeTextForLocale(std::int64_t size) {
    const QLocale locale;
    const QString decimal = locale.decimalPoint();
    const QString group = locale.groupSeparator();
    const auto asAscii = [](const QString& text, char fallback) {
        return text.size() == 1 && text[0].unicode() > 0x20 && text[0].unicode() < 0x7F
                   ? static_cast<char>(text[0].unicode())
                   : fallback;
    };
    const char decimalSep = asAscii(decimal, '.');
    // Locales that group with a (narrow) no-break space and use a decimal comma get a plain blank,
    // so that the two separators never look alike.
    const char thousandsSep = asAscii(group, decimalSep == ',' ? ' ' : ',');
    return fileSizeText(size, thousandsSep, decimalSep);
}

} // namespace velmoa
