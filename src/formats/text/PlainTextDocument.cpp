#include "formats/text/PlainTextDocument.h"

#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextDocument>

namespace velmoa {
namespace {

bool isLineEnd(QChar c) {
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator;
}

// A cut at `at` must not fall between the halves of a surrogate pair.
qsizetype safeCut(const QString& text, qsizetype at) {
    return at > 0 && text.at(at).isLowSurrogate() && text.at(at - 1).isHighSurrogate() ? at - 1 : at;
}

// Appends one line (without its end) to out, cut where it runs too long.
void appendCutLine(QString& out, const QString& line) {
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, line);
    qsizetype start = 0;     // of the paragraph being built
    qsizetype lastBreak = 0; // the latest break opportunity after start (start when none)
    qsizetype nextBreak = breaks.toNextBoundary();
    for (qsizetype i = 0; i < line.size(); ++i) {
        while (nextBreak != -1 && nextBreak <= i) {
            if (nextBreak > start) {
                lastBreak = nextBreak;
            }
            nextBreak = breaks.toNextBoundary();
        }
        // A cut before an unbreakable run can call for another within it at the same place.
        for (;;) {
            qsizetype cut = -1;
            if (lastBreak == start && i - start >= PlainTextDocument::kMaxUnbrokenRun) {
                cut = safeCut(line, i); // a run without any break opportunity
            } else if (i - start >= PlainTextDocument::kMaxParagraphChars ||
                       i - lastBreak >= PlainTextDocument::kMaxUnbrokenRun) {
                // A long paragraph is cut between words; an unbreakable run that begins becomes a
                // paragraph of its own.
                cut = lastBreak;
            }
            if (cut <= start) {
                break;
            }
            out.append(QStringView(line).mid(start, cut - start));
            out.append(QLatin1Char('\n'));
            start = lastBreak = cut;
        }
    }
    out.append(QStringView(line).mid(start));
}

} // namespace

QString PlainTextDocument::withCuts(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / kMaxUnbrokenRun + 1);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && !isLineEnd(text.at(end))) {
            ++end;
        }
        // Only lines that could need a cut are looked at for break opportunities.
        if (end - start > kMaxUnbrokenRun) {
            appendCutLine(out, text.mid(start, end - start));
        } else {
            out.append(QStringView(text).mid(start, end - start));
        }
        if (end < text.size()) {
            out.append(text.at(end));
        }
        start = end + 1;
    }
    return out;
}

QString PlainTextDocument::shownText(const QString& text, bool cutLongLines, bool& whole) {
    whole = text.size() <= kMaxShownChars;
    const QString shown = whole ? text : text.left(safeCut(text, kMaxShownChars));
    return cutLongLines ? withCuts(shown) : shown;
}

qsizetype PlainTextDocument::pieceEnd(const QString& shown, qsizetype from, qsizetype size) {
    if (shown.size() - from <= size) {
        return shown.size();
    }
    const qsizetype lineEnd = shown.indexOf(QLatin1Char('\n'), from + size);
    if (lineEnd != -1 && lineEnd - from <= 2 * size) {
        return lineEnd + 1;
    }
    // A long line (uncut text): end inside it, but never between a CR and its LF or inside a pair.
    qsizetype end = safeCut(shown, from + size);
    if (shown.at(end - 1) == QLatin1Char('\r') && shown.at(end) == QLatin1Char('\n')) {
        ++end;
    }
    return end;
}

bool PlainTextDocument::fill(QTextDocument& document, const QString& text, const QTextCharFormat& format,
                             bool cutLongLines) {
    bool whole = true;
    const QString shown = shownText(text, cutLongLines, whole);
    document.clear();
    QTextCursor cursor(&document);
    cursor.setBlockCharFormat(format);
    cursor.insertText(shown, format);
    return whole;
}

} // namespace velmoa
