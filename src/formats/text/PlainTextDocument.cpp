#include "formats/text/PlainTextDocument.h"

#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextDocument>

namespace velmoa {
namespace {

bool isLineEnd(QChar c) {
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator ||
           c == QChar::LineSeparator;
}

// A cut at `at` must not fall between the halves of a surrogate pair.
qsizetype safeCut(const QString& text, qsizetype at) {
    return at > 0 && text.at(at).isLowSurrogate() && text.at(at - 1).isHighSurrogate() ? at - 1 : at;
}

} // namespace

QString PlainTextDocument::withCuts(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / kMaxUnbrokenRun + 1);
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
    qsizetype start = 0;     // of the paragraph being built, in text
    qsizetype lastBreak = 0; // the latest break opportunity after start (start when none)
    qsizetype nextBreak = breaks.toNextBoundary();
    for (qsizetype i = 0; i < text.size(); ++i) {
        while (nextBreak != -1 && nextBreak <= i) {
            if (nextBreak > start) {
                lastBreak = nextBreak;
            }
            nextBreak = breaks.toNextBoundary();
        }
        if (isLineEnd(text.at(i))) {
            out.append(QStringView(text).mid(start, i + 1 - start));
            start = lastBreak = i + 1;
            continue;
        }
        qsizetype cut = -1;
        if (i - lastBreak >= kMaxUnbrokenRun && lastBreak == start) {
            cut = safeCut(text, i);
        } else if (i - start >= kMaxParagraphChars) {
            cut = lastBreak > start ? lastBreak : safeCut(text, i);
        } else if (i - lastBreak >= kMaxUnbrokenRun) {
            cut = lastBreak;
        }
        if (cut > start) {
            out.append(QStringView(text).mid(start, cut - start));
            out.append(QLatin1Char('\n'));
            start = lastBreak = cut;
        }
    }
    out.append(QStringView(text).mid(start));
    return out;
}

bool PlainTextDocument::fill(QTextDocument& document, const QString& text, const QTextCharFormat& format) {
    const bool whole = text.size() <= kMaxShownChars;
    document.clear();
    QTextCursor cursor(&document);
    cursor.setBlockCharFormat(format);
    cursor.insertText(withCuts(whole ? text : text.left(safeCut(text, kMaxShownChars))), format);
    return whole;
}

} // namespace velmoa
