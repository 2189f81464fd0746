#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <vector>

namespace velmoa {

// A place in the text: a line and a column in UTF-16 units of that line.
struct TextPosition {
    qsizetype line = 0;
    qsizetype column = 0;

    friend bool operator==(const TextPosition&, const TextPosition&) = default;
    friend auto operator<=>(const TextPosition&, const TextPosition&) = default;
};

// A plain text held compactly for showing: UTF-8 (a byte a character for ASCII), with the start of
// every kIndexStride-th line indexed as it is appended, so that any line is found by skipping at
// most that many line ends. Line feeds, carriage returns, CR LF pairs and paragraph separators all
// end a line; the text keeps them as line feeds. An empty text is one empty line.
class TextLines {
  public:
    static constexpr qsizetype kIndexStride = 64;

    TextLines() { clear(); }

    void clear();
    // Adds text after the end; a CR at the end of one append and an LF at the start of the next
    // make one line end.
    void append(QStringView text);

    qsizetype lineCount() const { return lines_; }
    QString line(qsizetype index) const;
    // The whole text, lines joined by line feeds.
    QString text() const;
    // The text from one position up to another (in either order).
    QString textBetween(TextPosition from, TextPosition to) const;
    TextPosition end() const;
    bool isEmpty() const { return bytes_.isEmpty(); }
    // What the text takes in memory: its bytes and its index.
    qsizetype storageBytes() const {
        return bytes_.capacity() + static_cast<qsizetype>(index_.capacity() * sizeof(qsizetype));
    }

  private:
    qsizetype lineStart(qsizetype index) const;
    qsizetype lineEnd(qsizetype start) const;
    void endLine();

    QByteArray bytes_;
    std::vector<qsizetype> index_; // the byte where line k * kIndexStride starts
    qsizetype lines_ = 1;
    bool afterCr_ = false;
};

} // namespace velmoa
