#include "formats/richtext/RtfBudget.h"

#include <algorithm>

namespace velmoa {
namespace {
// A character takes about this share of its size in width, and a line this multiple of it in
// height (generous: the Japanese faces are tall).
constexpr double kCharWidth = 0.6;
constexpr double kLineHeight = 1.5;
} // namespace

double RtfBudget::pixelsOf(int halfPoints) {
    const int points = std::clamp(halfPoints / 2, 1, kMaxPointSize);
    return points * 96.0 / 72.0;
}

double RtfBudget::lineHeight(double fontPixels) const {
    const double height = spacing_.exactly > 0
                              ? spacing_.exactly
                              : std::max(kLineHeight * fontPixels * spacing_.proportion, spacing_.atLeast);
    // Lines spaced at nothing (\sl1\slmult1) overlap, yet each still costs the layout a line.
    return std::max(height, 1.0);
}

bool RtfBudget::add(double height) {
    if (full()) {
        leftOut_ = true;
        return false;
    }
    paragraphHeight_ += height;
    documentHeight_ += height;
    return true;
}

std::int64_t RtfBudget::takeText(std::int64_t chars, int halfPoints) {
    if (full()) {
        leftOut_ = true;
        return 0;
    }
    const double px = pixelsOf(halfPoints);
    // The area the characters cover, spread over lines of the narrowest layout.
    const double each = (kCharWidth * px) * lineHeight(px) / kNarrowestLayout;
    const double room =
        std::min(kMaxParagraphHeight - paragraphHeight_, kMaxDocumentHeight - documentHeight_);
    // A paragraph takes at least one character, or a huge font would never move on.
    const double fitting = std::min(std::max(0.0, room) / each, static_cast<double>(chars));
    const auto fits =
        std::max<std::int64_t>(paragraphChars_ == 0 ? 1 : 0, static_cast<std::int64_t>(fitting));
    std::int64_t taken = std::min(chars, fits);
    if (taken > kMaxChars - chars_) {
        taken = kMaxChars - chars_;
        charsSpent_ = true;
        leftOut_ = true;
    }
    chars_ += taken;
    paragraphChars_ += taken;
    paragraphHeight_ += static_cast<double>(taken) * each;
    documentHeight_ += static_cast<double>(taken) * each;
    return taken;
}

bool RtfBudget::takeRun() {
    if (runs_ >= kMaxRunsPerParagraph) {
        leftOut_ = true;
        return false;
    }
    ++runs_;
    return true;
}

bool RtfBudget::takeLine(int halfPoints) {
    if (lines_ >= kMaxLinesPerParagraph) {
        return false; // not a loss: the line goes on as a paragraph
    }
    ++lines_;
    return add(lineHeight(pixelsOf(halfPoints)));
}

bool RtfBudget::takeParagraph(int halfPoints) {
    paragraphHeight_ = 0;
    paragraphChars_ = 0;
    runs_ = 0;
    lines_ = 0;
    return add(lineHeight(pixelsOf(halfPoints)) + spacing_.around);
}

bool RtfBudget::takeRow(int cells) {
    if (tableCells_ > 0 && tableCells_ + cells > kMaxCellsPerTable) {
        tableCells_ = cells; // not a loss: the rows go on in a table of their own
        return false;
    }
    tableCells_ += cells;
    return true;
}

} // namespace velmoa
