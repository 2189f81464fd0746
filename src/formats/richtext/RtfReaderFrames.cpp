#include "formats/richtext/RtfReader.h"

#include "formats/richtext/RtfSyntax.h"

#include <QTextBlock>
#include <QTextDocument>
#include <string_view>

namespace velmoa {
using namespace rtf;
namespace {

using Place = RtfFramePlace;

template <typename Value> struct Named {
    std::string_view word;
    Value value;
};

constexpr Named<Place::HorizontalAnchor> kHorizontalAnchors[] = {
    {"phcol", Place::HorizontalAnchor::Column},
    {"phmrg", Place::HorizontalAnchor::Margin},
    {"phpg", Place::HorizontalAnchor::Page},
};
constexpr Named<Place::VerticalAnchor> kVerticalAnchors[] = {
    {"pvmrg", Place::VerticalAnchor::Margin},
    {"pvpg", Place::VerticalAnchor::Page},
    {"pvpara", Place::VerticalAnchor::Paragraph},
};
constexpr Named<Place::HorizontalAlign> kHorizontalAligns[] = {
    {"posxl", Place::HorizontalAlign::Left},    {"posxc", Place::HorizontalAlign::Centre},
    {"posxr", Place::HorizontalAlign::Right},   {"posxi", Place::HorizontalAlign::Inside},
    {"posxo", Place::HorizontalAlign::Outside},
};
constexpr Named<Place::VerticalAlign> kVerticalAligns[] = {
    {"posyt", Place::VerticalAlign::Top},     {"posyc", Place::VerticalAlign::Centre},
    {"posyb", Place::VerticalAlign::Bottom},  {"posyil", Place::VerticalAlign::Inline},
    {"posyin", Place::VerticalAlign::Inside}, {"posyout", Place::VerticalAlign::Outside},
};

template <typename Value, std::size_t N>
bool setNamed(const Named<Value> (&names)[N], const std::string& word, Value& target) {
    for (const Named<Value>& named : names) {
        if (word == named.word) {
            target = named.value;
            return true;
        }
    }
    return false;
}

// A table's horizontal place among its row's words (\tposx, \tposxc, \tphpg, …).
constexpr Named<Qt::Alignment> kTableSides[] = {
    {"tposxl", Qt::AlignLeft},  {"tposxi", Qt::AlignLeft},  {"tposxc", Qt::AlignHCenter},
    {"tposxr", Qt::AlignRight}, {"tposxo", Qt::AlignRight},
};

// Words that shape a frame but do not place it.
bool applyFrameShapeWord(const std::string& word, int param, Place& frame) {
    if (word == "dxfrtext") {
        frame.textDistance = clampInt(param, 0, kMaxTwips);
    } else if (word == "dfrmtxtx") {
        frame.textDistanceX = clampInt(param, 0, kMaxTwips);
    } else if (word == "dfrmtxty") {
        frame.textDistanceY = clampInt(param, 0, kMaxTwips);
    } else if (word == "nowrap") {
        frame.noWrap = true;
    } else if (word == "overlay") {
        frame.overlay = true;
    } else if (word == "abslock") {
        frame.locked = param != 0;
    } else {
        return false;
    }
    return true;
}

} // namespace

bool RtfReader::applyFrameWord(const std::string& word, int param) {
    Place& frame = state_.para.frame;
    if (word == "posx" || word == "posnegx") {
        frame.x = clampInt(param, -kMaxTwips, kMaxTwips);
        frame.horizontalAlign = Place::HorizontalAlign::At;
    } else if (word == "posy" || word == "posnegy") {
        frame.y = clampInt(param, -kMaxTwips, kMaxTwips);
        frame.verticalAlign = Place::VerticalAlign::At;
    } else if (word == "absw") {
        frame.width = clampInt(param, 0, kMaxTwips); // a negative width is damage: as wide as it needs
    } else if (word == "absh") {
        frame.height = clampInt(param, -kMaxTwips, kMaxTwips);
    } else if (!setNamed(kHorizontalAnchors, word, frame.horizontalAnchor) &&
               !setNamed(kVerticalAnchors, word, frame.verticalAnchor) &&
               !setNamed(kHorizontalAligns, word, frame.horizontalAlign) &&
               !setNamed(kVerticalAligns, word, frame.verticalAlign)) {
        return applyFrameShapeWord(word, param, frame) || applyPlaceWord(word, param);
    }
    frame.positioned = true;
    return true;
}

bool RtfReader::applyPlaceWord(const std::string& word, int param) {
    if (word == "paperw") {
        page_.width = clampInt(param, 0, kMaxTwips);
    } else if (word == "margl") {
        page_.leftMargin = clampInt(param, 0, kMaxTwips);
    } else if (word == "margr") {
        page_.rightMargin = clampInt(param, 0, kMaxTwips);
    } else if (word == "tposx" || word == "tposnegx") {
        tablePlace_.x = clampInt(param, -kMaxTwips, kMaxTwips);
        tablePlace_.alignment = {};
    } else if (word == "tphpg" || word == "tphmrg" || word == "tphcol") {
        tablePlace_.onPage = word == "tphpg";
    } else {
        return setNamed(kTableSides, word, tablePlace_.alignment);
    }
    return true;
}

void RtfReader::syncFlow() {
    syncFrame();
    syncTable();
}

void RtfReader::syncFrame() {
    if (readingTextBox_) {
        return; // a drawing object's text goes with the paragraph that anchors it
    }
    const ParaProps& para = state_.para;
    // A table keeps its layout whatever its paragraphs say, and a dropped capital joins its word.
    const bool framed = para.frame.positioned && !para.inTable && !para.dropCap;
    if (framed ? frames_ && para.frame == framePlace_ : !frames_) {
        return;
    }
    flushRun();
    if (table_) {
        leaveTable(); // a table ends where a frame begins or ends
    }
    if (!framed) {
        endFrames();
        return;
    }
    if (frames_) {
        endFrameText();
    } else {
        frames_ = std::make_unique<RtfFrameGrid>(cursor_, page_);
    }
    framePlace_ = para.frame;
    cursor_ = QTextCursor(&frames_->addFrame(para.frame));
}

void RtfReader::endFrameText() {
    // The frame's closing \par leaves an empty paragraph behind.
    cursor_.movePosition(QTextCursor::End);
    if (cursor_.block().length() == 1 && cursor_.block() != cursor_.document()->firstBlock()) {
        cursor_.deletePreviousChar();
    }
}

void RtfReader::endFrames() {
    if (!frames_) {
        return;
    }
    flushRun();
    if (table_) {
        leaveTable();
    }
    endFrameText();
    cursor_ = frames_->finish();
    frames_.reset();
}

} // namespace velmoa
