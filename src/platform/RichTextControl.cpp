#include "platform/RichTextControl.h"

#include "platform/ReadOnlyFile.h"
#include "platform/TextEncoding.h"

namespace velmoa {

RichTextControl::RichTextControl(QWidget* parent) : QTextEdit(parent) {
    setFrameStyle(QFrame::NoFrame);
    setContextMenuPolicy(Qt::NoContextMenu);
}

void RichTextControl::clearContent() {
    clear();
    document()->setModified(false);
}

void RichTextControl::refreshNow() { viewport()->repaint(); }

void RichTextControl::setDefaultAttributes(const QString& face, int pointSize, const QColor& colour) {
    QFont font(face);
    font.setPointSize(pointSize);
    document()->setDefaultFont(font);
    QPalette pal = palette();
    pal.setColor(QPalette::Text, colour);
    setPalette(pal);
}

void RichTextControl::setBackgroundColour(const QColor& colour) {
    QPalette pal = palette();
    pal.setColor(QPalette::Base, colour);
    setPalette(pal);
}

void RichTextControl::loadWholeFile(const std::string& path) {
    ReadOnlyFile file(path);
    setPlainText(bytesToDisplayText(file.isOpen() ? file.readAll() : std::string()));
}

void RichTextControl::setTextBytes(std::string_view bytes) {
    setPlainText(bytesToDisplayText(bytes.substr(0, bytes.find('\0'))));
}

void RichTextControl::appendLine(const QString& line) { append(line); }

} // namespace velmoa
