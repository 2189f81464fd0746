#pragma once

#include "base/CodedSource.h"
#include "controls/StepwiseRichTextFill.h"
#include "formats/richtext/RtfPicture.h"
#include "formats/text/TextEncoding.h"

#include <QColor>
#include <QStringList>
#include <QTextCharFormat>
#include <QTextEdit>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velmoa {

class PlainTextView;

// The document view's text control: rich text (our RTF reader) or plain text, white-on-black or
// black-on-white, read-only (selectable and copyable). It offers the operations the document view needs and
// nothing more; a right click shows no menu. Rich text is laid out in document(); plain text is
// shown by a view over the control that lays out only the lines on screen, while document() holds
// just those lines, for screen readers. Callers that print ask for printableDocument() each time.
class RichTextControl : public QTextEdit {
    Q_OBJECT
  public:
    // Whole-file loads beyond these bounds are refused, so a huge file cannot exhaust memory.
    static constexpr std::int64_t kMaxWholeFileBytes = std::int64_t{64} << 20;
    static constexpr std::int64_t kMaxLines = 1'000'000;

    explicit RichTextControl(QWidget* parent = nullptr);

    // Empties the text and resets the modified flag.
    void clearContent();
    // Repaints now, not at the next event loop pass.
    void refreshNow();
    // The format of text that carries none of its own: plain text loaded or set, appended lines.
    void setDefaultAttributes(const QString& face, int pointSize, const QColor& colour);
    QTextCharFormat defaultAttributes() const { return defaultFormat_; }
    // Decides how the next loadWholeFile reads the file.
    void setPlainTextMode(bool on) { plainTextMode_ = on; }
    bool plainTextMode() const { return plainTextMode_; }
    // Turns the pictures of rich text that the reader does not decode itself into images.
    void setPictureDecoder(RtfPictureDecoder decoder) { pictureDecoder_ = std::move(decoder); }
    void setBackgroundColour(const QColor& colour);

    // Replaces the content with the file: as rich text when plain-text mode is off (a file that is
    // not rich text is read again as plain text, in black so that it shows on the white background),
    // as plain text when it is on. Throws Failure when the file cannot be opened or read. Long
    // text shows its first screen at once and goes on filling in while the window stays
    // responsive (fillingIn()); a file with more than the control lays out shows its beginning and
    // says so with shownInPartMessage (thrown for rich text read in one step, posted once longer
    // text is filled in).
    void loadWholeFile(const std::string& path);
    bool fillingIn() const;
    // The text shown: plain text whole, or the rich text's document as plain text.
    QString toPlainText() const;
    // What printing prints: document() for rich text, a document made of the plain text.
    QTextDocument* printableDocument();
    // The plain text's view, shown while plain text is.
    PlainTextView* plainTextView() const { return plain_; }
    static std::string shownInPartMessage(const std::string& displayedPath);
    // Replaces the content with bytes shown as text; they end at the first zero byte. Cut bytes
    // may end inside a character (see bytesToDisplayText).
    void setTextBytes(std::string_view bytes, TextEnd end = TextEnd::Whole);
    // Adds one line after the last.
    void appendLine(const QString& line);
    // The same as appendLine for each line, in one edit.
    void appendLines(const QStringList& lines);
    // Lines of bytes (ASCII, such as a hex dump), each shown as text.
    void appendLines(const std::vector<std::string>& lines);

  protected:
    void resizeEvent(QResizeEvent* event) override;

    void keyPressEvent(QKeyEvent* event) override;

  private:
    // The file opened for reading, once it proves neither missing nor too large.
    std::unique_ptr<const CodedSource> openWholeFile(const std::string& path) const;
    std::string readWholeFile(const std::string& path) const;
    void checkLineCount(const std::string& path, const CodedSource& text) const;
    QTextDocument* newDocument();
    void adoptDocument(QTextDocument* fresh);
    // Shows the plain-text view, its text in colour; false when it was shown already.
    bool showPlainView(const QColor& colour);
    void hidePlainView();
    // The file's text, its first screen at once; when only its beginning can be shown, the path's
    // message is posted once that is in.
    void fillPlainText(std::unique_ptr<const CodedSource> text, const QColor& colour,
                       const std::string& path);
    // The rich text's first screen at once, the rest in steps; when only its beginning can be
    // shown, the path's message is thrown (all read at once) or posted once the rest is in.
    void fillRichText(std::string bytes, const std::string& path);
    void mirrorShownLines();

    bool plainTextMode_ = false;
    RtfPictureDecoder pictureDecoder_;
    QTextCharFormat defaultFormat_;
    PlainTextView* plain_ = nullptr;
    QColor plainColour_;
    bool forwarding_ = false;
    QTimer mirror_; // puts the shown lines into document() once scrolling rests
    std::unique_ptr<QTextDocument> printable_;
    StepwiseRichTextFill richFill_;
};

} // namespace velmoa
