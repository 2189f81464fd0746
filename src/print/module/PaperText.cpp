#include "print/module/PaperText.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <vector>

namespace velmoa {

// Ranges are collected first, since changing formats while walking the fragments would merge
// them under the walk.
void makeTextReadableOnPaper(QTextDocument& document) {
    struct Range {
        int position;
        int length;
        QTextCharFormat format;
    };
    std::vector<Range> ranges;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCharFormat format = fragment.charFormat();
            if (!format.hasProperty(QTextFormat::ForegroundBrush) ||
                format.foreground().color() == Qt::white) {
                format.setForeground(Qt::black);
                ranges.push_back({fragment.position(), fragment.length(), format});
            }
        }
    }
    QTextCursor cursor(&document);
    for (const Range& range : ranges) {
        cursor.setPosition(range.position);
        cursor.setPosition(range.position + range.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(range.format);
    }
}

} // namespace velmoa
