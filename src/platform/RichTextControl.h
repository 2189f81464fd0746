#pragma once

#include <QTextEdit>
#include <string>
#include <string_view>

namespace velmoa {

// The document text control. First cut: plain text only.
class RichTextControl : public QTextEdit {
    Q_OBJECT
public:
    explicit RichTextControl(QWidget* parent = nullptr);
    void clearContent();
    void refreshNow();
    void setDefaultAttributes(const QString& face, int pointSize, const QColor& colour);
    void setPlainTextMode(bool on) { plainTextMode_ = on; }
    bool plainTextMode() const { return plainTextMode_; }
    void setBackgroundColour(const QColor& colour);
    void loadWholeFile(const std::string& path);
    void setTextBytes(std::string_view bytes);
    void appendLine(const QString& line);

private:
    bool plainTextMode_ = true;
};

} // namespace velmoa
