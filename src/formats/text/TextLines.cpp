#include "formats/text/TextLines.h"

#include <cstring>

namespace velmoa {
namespace {
constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
// U+2029 PARAGRAPH SEPARATOR in UTF-8.
constexpr unsigned char kParagraphSeparator[] = {0xE2, 0x80, 0xA9};

bool isParagraphSeparator(const QByteArray& bytes, qsizetype at) {
    return at + 2 < bytes.size() && static_cast<unsigned char>(bytes[at]) == kParagraphSeparator[0] &&
           static_cast<unsigned char>(bytes[at + 1]) == kParagraphSeparator[1] &&
           static_cast<unsigned char>(bytes[at + 2]) == kParagraphSeparator[2];
}
} // namespace

void TextLines::clear() {
    bytes_ = QByteArray();
    index_.assign(1, 0);
    lines_ = 1;
    afterCr_ = false;
}

void TextLines::endLine() {
    bytes_.append(kLineFeed);
    if (lines_ % kIndexStride == 0) {
        index_.push_back(bytes_.size());
    }
    ++lines_;
}

void TextLines::append(QStringView text) {
    const QByteArray utf8 = text.toUtf8();
    bytes_.reserve(bytes_.size() + utf8.size());
    qsizetype runStart = 0; // bytes not yet copied start here
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        const bool lineFeed = c == kLineFeed;
        const bool separator = c == kCarriageReturn || lineFeed || isParagraphSeparator(utf8, i);
        if (!separator) {
            afterCr_ = false;
            continue;
        }
        bytes_.append(utf8.constData() + runStart, i - runStart);
        if (!(lineFeed && afterCr_)) {
            endLine();
        }
        afterCr_ = c == kCarriageReturn;
        if (!lineFeed && c != kCarriageReturn) {
            i += 2; // the rest of the separator
        }
        runStart = i + 1;
    }
    bytes_.append(utf8.constData() + runStart, utf8.size() - runStart);
}

qsizetype TextLines::lineEnd(qsizetype start) const {
    const void* found = std::memchr(bytes_.constData() + start, kLineFeed, bytes_.size() - start);
    return found ? static_cast<const char*>(found) - bytes_.constData() : bytes_.size();
}

qsizetype TextLines::lineStart(qsizetype index) const {
    qsizetype at = index_[index / kIndexStride];
    for (qsizetype skip = index % kIndexStride; skip > 0; --skip) {
        at = lineEnd(at) + 1;
    }
    return at;
}

QString TextLines::line(qsizetype index) const {
    if (index < 0 || index >= lines_) {
        return {};
    }
    const qsizetype start = lineStart(index);
    return QString::fromUtf8(bytes_.constData() + start, lineEnd(start) - start);
}

QString TextLines::text() const {
    return QString::fromUtf8(bytes_);
}

TextPosition TextLines::end() const {
    return {lines_ - 1, line(lines_ - 1).size()};
}

QString TextLines::textBetween(TextPosition from, TextPosition to) const {
    if (to < from) {
        std::swap(from, to);
    }
    if (from.line == to.line) {
        return line(from.line).mid(from.column, to.column - from.column);
    }
    QString out = line(from.line).mid(from.column);
    out.append(QLatin1Char(kLineFeed));
    const qsizetype middle = lineStart(from.line + 1);
    const qsizetype last = lineStart(to.line);
    out.append(QString::fromUtf8(bytes_.constData() + middle, last - middle));
    out.append(line(to.line).left(to.column));
    return out;
}

} // namespace velmoa
