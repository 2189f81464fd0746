#include "formats/richtext/RtfReader.h"

#include "formats/richtext/RtfSyntax.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextLength>
#include <QTextTable>
#include <QUrl>
#include <algorithm>

namespace velmoa {
using namespace rtf;
namespace {

constexpr int kMaxRows = 20000;

} // namespace

void RtfReader::syncTable() {
    if (state_.para.inTable) {
        enterTableIfNeeded();
    } else if (table_) {
        leaveTable();
    }
}

void RtfReader::enterTableIfNeeded() {
    if (!table_) {
        flushRun();
        applyBlockFormat();
        const int columns = std::max<int>(1, static_cast<int>(rowCellEdges_.size()));
        QTextTableFormat format;
        format.setBorder(1);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderCollapse(true);
        format.setCellPadding(3);
        format.setCellSpacing(0);
        if (static_cast<int>(rowCellEdges_.size()) == columns) {
            QList<QTextLength> widths;
            int left = 0;
            for (const int edge : rowCellEdges_) {
                widths.append(QTextLength(QTextLength::FixedLength, std::max(8, twipsToPixels(edge - left))));
                left = std::max(left, edge);
            }
            format.setColumnWidthConstraints(widths);
        }
        table_ = cursor_.insertTable(1, columns, format);
        tableRow_ = 0;
        tableCell_ = 0;
        rowEnded_ = false;
        cellPending_ = false;
        return;
    }
    if (rowEnded_) {
        flushRun();
        if (table_->rows() < kMaxRows) {
            table_->appendRows(1);
        }
        tableRow_ = table_->rows() - 1;
        tableCell_ = 0;
        rowEnded_ = false;
        cellPending_ = true;
    }
    if (cellPending_) {
        flushRun();
        if (tableCell_ >= table_->columns()) {
            if (table_->columns() < kMaxColumns) {
                table_->appendColumns(tableCell_ - table_->columns() + 1);
            }
            tableCell_ = std::min(tableCell_, table_->columns() - 1);
        }
        const QTextTableCell cell = table_->cellAt(tableRow_, tableCell_);
        if (cell.isValid()) {
            cursor_ = cell.lastCursorPosition();
        }
        cellPending_ = false;
    }
}

void RtfReader::endCell() {
    if (state_.destination != Destination::Text) {
        return;
    }
    enterTableIfNeeded();
    flushRun();
    applyBlockFormat();
    ++tableCell_;
    cellPending_ = true;
}

void RtfReader::endRow() {
    if (state_.destination != Destination::Text || !table_) {
        return;
    }
    flushRun();
    rowEnded_ = true;
    cellPending_ = false;
}

void RtfReader::leaveTable() {
    flushRun();
    cursor_.setPosition(table_->lastPosition() + 1);
    table_ = nullptr;
    rowEnded_ = false;
    cellPending_ = false;
}

void RtfReader::pictureWord(const std::string& word, int param) {
    if (word == "pngblip") {
        picture_.kind = PictureData::Kind::Png;
    } else if (word == "jpegblip") {
        picture_.kind = PictureData::Kind::Jpeg;
    } else if (word == "emfblip" || word == "wmetafile" || word == "dibitmap" || word == "wbitmap" ||
               word == "macpict" || word == "pmmetafile") {
        picture_.kind = PictureData::Kind::Other;
    } else if (word == "picw") {
        picture_.width = clampInt(param, 0, kMaxPictureSide);
    } else if (word == "pich") {
        picture_.height = clampInt(param, 0, kMaxPictureSide);
    } else if (word == "picwgoal") {
        picture_.goalWidth = clampInt(param, 0, kMaxPictureSide * kTwipsPerPixel);
    } else if (word == "pichgoal") {
        picture_.goalHeight = clampInt(param, 0, kMaxPictureSide * kTwipsPerPixel);
    } else if (word == "picscalex") {
        picture_.scaleX = clampInt(param, 1, 1000);
    } else if (word == "picscaley") {
        picture_.scaleY = clampInt(param, 1, 1000);
    }
}

void RtfReader::finishPicture() {
    PictureData picture = std::move(picture_);
    picture_ = PictureData{};
    if (picture.kind != PictureData::Kind::Png && picture.kind != PictureData::Kind::Jpeg) {
        return;
    }
    // The decoded size is checked against what is left of the budget before any pixel is decoded: a
    // small compressed picture can claim a huge size.
    QByteArray data =
        QByteArray::fromRawData(picture.bytes.data(), static_cast<qsizetype>(picture.bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, picture.kind == PictureData::Kind::Png ? "png" : "jpeg");
    const QSize size = reader.size();
    const std::int64_t bytes = std::int64_t{4} * std::max(size.width(), 0) * std::max(size.height(), 0);
    if (size.isEmpty() || bytes > kMaxPictureBytes - pictureBytes_) {
        return;
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        return;
    }
    pictureBytes_ += bytes;
    double width = picture.goalWidth > 0 ? picture.goalWidth / double(kTwipsPerPixel) : image.width();
    double height = picture.goalHeight > 0 ? picture.goalHeight / double(kTwipsPerPixel) : image.height();
    width = std::clamp(width * picture.scaleX / 100.0, 1.0, double(kMaxPictureSide));
    height = std::clamp(height * picture.scaleY / 100.0, 1.0, double(kMaxPictureSide));

    const QString name = QStringLiteral("rtf-picture-%1").arg(++pictureCount_);
    document_.addResource(QTextDocument::ImageResource, QUrl(name), image);
    QTextImageFormat format;
    format.setName(name);
    format.setWidth(width);
    format.setHeight(height);
    syncTable();
    flushRun();
    cursor_.insertImage(format);
}

} // namespace velmoa
