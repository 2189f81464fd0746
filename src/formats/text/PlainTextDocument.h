#pragma once

#include <QString>
#include <QTextCharFormat>
#include <cstdint>

class QTextDocument;

namespace velmoa {

// Plain text laid into a document in pieces the layout handles in linear time. A line is cut
// into paragraphs: where it runs kMaxUnbrokenRun characters without a break opportunity (the
// layout's cost for such a run grows with the square of its length), and at the last break
// opportunity once it is kMaxParagraphChars long (a paragraph is laid out in one go, so its
// length is how long the window waits). Cuts never split a surrogate pair.
class PlainTextDocument {
  public:
    static constexpr qsizetype kMaxUnbrokenRun = 1024;
    static constexpr qsizetype kMaxParagraphChars = 16384;
    // Laid out, a character costs some 45 bytes; text past this many is left out.
    static constexpr qsizetype kMaxShownChars = qsizetype{10} << 20;

    // The text with a line feed added at every cut.
    static QString withCuts(const QString& text);
    // What fill() puts into the document: at most kMaxShownChars of the text (whole tells whether
    // that is all of it), cut unless told not to.
    static QString shownText(const QString& text, bool cutLongLines, bool& whole);
    // Where a piece of the shown text that starts at `from` and is about `size` long ends: after a
    // line end, so that pieces inserted one after the other give the same paragraphs as the whole.
    static qsizetype pieceEnd(const QString& shown, qsizetype from, qsizetype size);
    // Replaces the document's content with the text (cut as above unless told not to: a short text
    // is shown exactly as it is) in format. False when the text was longer than kMaxShownChars and
    // only its beginning was filled in.
    static bool fill(QTextDocument& document, const QString& text, const QTextCharFormat& format,
                     bool cutLongLines = true);
};

} // namespace velmoa
