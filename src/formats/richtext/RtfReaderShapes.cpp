#include "formats/richtext/RtfReader.h"

#include "formats/richtext/RtfSyntax.h"

namespace velmoa {
using namespace rtf;

// A drawing object is gathered while its group is read, its children (in a group of shapes) into
// it, and drawn as one picture where it is anchored: at its fallback copy (\shprslt), which it then
// stands for, or where its group ends.

void RtfReader::beginShape(bool group) {
    if (state_.destination != Destination::Text) {
        return;
    }
    if (shapes_.size() >= static_cast<std::size_t>(RtfShape::kMaxDepth)) {
        state_.destination = Destination::Skip; // groups this deep are damage
        return;
    }
    if (shapes_.empty()) {
        shapeDrawn_ = false;
    }
    shapes_.emplace_back().isGroup = group;
    state_.shapeDepth = shapes_.size();
}

bool RtfReader::applyShapeWord(const std::string& word, int param) {
    if (!word.starts_with("shp")) {
        return false;
    }
    if (state_.shapeDepth == 0 || state_.shapeDepth > shapes_.size()) {
        return true;
    }
    RtfShape& shape = shapes_[state_.shapeDepth - 1];
    if (word == "shpleft") {
        shape.left = param;
    } else if (word == "shptop") {
        shape.top = param;
    } else if (word == "shpright") {
        shape.right = param;
    } else if (word == "shpbottom") {
        shape.bottom = param;
    }
    return true;
}

void RtfReader::setShapeProperty() {
    if (state_.shapeDepth > 0 && state_.shapeDepth <= shapes_.size()) {
        shapes_[state_.shapeDepth - 1].setProperty(shapePropertyName_, shapePropertyValue_);
    }
    shapePropertyValue_.clear();
}

bool RtfReader::hidesShapeResult() {
    if (state_.shapeDepth == 0 || state_.shapeDepth != shapes_.size()) {
        return false;
    }
    if (shapes_.size() > 1) {
        return shapes_.back().drawable(); // drawn with its group
    }
    if (!shapeDrawn_) {
        shapeDrawn_ = true;
        const int before = pictureCount_;
        drawShape(shapes_.front());
        return pictureCount_ > before;
    }
    return false;
}

void RtfReader::endShapes() {
    while (shapes_.size() > state_.shapeDepth) {
        RtfShape shape = std::move(shapes_.back());
        shapes_.pop_back();
        if (!shapes_.empty()) {
            std::vector<RtfShape>& siblings = shapes_.back().children;
            if (shapes_.back().isGroup &&
                siblings.size() < static_cast<std::size_t>(RtfShape::kMaxChildren) &&
                shape.drawable(static_cast<int>(shapes_.size()))) {
                siblings.push_back(std::move(shape));
            }
        } else if (!shapeDrawn_) {
            shapeDrawn_ = true;
            drawShape(shape);
        }
    }
}

void RtfReader::drawShape(const RtfShape& shape) {
    if (!shape.drawable() || drawnShapes_ >= kMaxDrawnShapes || budget_.full()) {
        return;
    }
    const QSize size = RtfShapeDrawing::size(shape);
    const std::int64_t bytes = kBytesPerPixel * size.width() * size.height();
    if (bytes > kMaxPictureBytes - pictureBytes_) {
        return;
    }
    const QImage image = RtfShapeDrawing::draw(shape);
    if (image.isNull()) {
        return;
    }
    if (placeImage(image, size.width(), size.height())) {
        ++drawnShapes_;
        pictureBytes_ += bytes;
    }
}

} // namespace velmoa
