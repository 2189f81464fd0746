#include "formats/richtext/RtfReader.h"

#include "formats/richtext/RtfSymbolFonts.h"
#include "formats/richtext/RtfSyntax.h"

#include <QTextCursor>
#include <algorithm>

namespace velmoa {
using namespace rtf;

bool RtfReader::applyCharWord(const std::string& word, bool hasParam, int param) {
    CharProps& c = state_.chars;
    const bool on = !hasParam || param != 0;
    if (word == "plain") {
        c = CharProps{};
    } else if (word == "b") {
        c.bold = on;
    } else if (word == "i") {
        c.italic = on;
    } else if (word == "ulnone") {
        c.underline = false;
    } else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw" || word == "ulth" ||
               word == "uldash" || word == "uldashd" || word == "uldashdd" || word == "ulwave" ||
               word == "ulhwave" || word == "ululdbwave" || word == "ulthd" || word == "ulthdash" ||
               word == "ulldash" || word == "ulthldash" || word == "ulthdashd" || word == "ulthdashdd") {
        c.underline = on;
    } else if (word == "strike" || word == "striked") {
        c.strike = on;
    } else if (word == "v") {
        c.hidden = on;
    } else if (word == "fs") {
        c.halfPoints = hasParam ? clampInt(param, 2, 3276) : 24;
    } else if (word == "f") {
        c.font = param;
    } else if (word == "cf") {
        c.foreground = clampInt(param, 0, 0xFFFF);
    } else if (word == "cb" || word == "chcbpat" || word == "highlight") {
        c.background = clampInt(param, 0, 0xFFFF);
    } else if (word == "dbch") {
        state_.eastAsianContext = true;
    } else if (word == "loch" || word == "hich" || word == "rtlch" || word == "ltrch") {
        state_.eastAsianContext = false;
    } else if (word == "af") {
        if (state_.eastAsianContext) {
            state_.eastAsianFont = param;
        }
    } else if (word == "ab" || word == "ai") {
        if (state_.eastAsianContext) {
            (word == "ab" ? c.bold : c.italic) = on;
        }
    } else if (word == "up" || word == "dn") {
        c.vertical = !on ? VerticalAlign::Normal : word == "up" ? VerticalAlign::Super : VerticalAlign::Sub;
    } else if (word == "super") {
        c.vertical = VerticalAlign::Super;
    } else if (word == "sub") {
        c.vertical = VerticalAlign::Sub;
    } else if (word == "nosupersub") {
        c.vertical = VerticalAlign::Normal;
    } else {
        return false;
    }
    return true;
}

bool RtfReader::applyParaWord(const std::string& word, bool, int param) {
    ParaProps& p = state_.para;
    if (word == "pard") {
        p = ParaProps{};
    } else if (word == "ql") {
        p.alignment = Qt::AlignLeft;
    } else if (word == "qc") {
        p.alignment = Qt::AlignHCenter;
    } else if (word == "qr") {
        p.alignment = Qt::AlignRight;
    } else if (word == "qj") {
        p.alignment = Qt::AlignJustify;
    } else if (word == "li") {
        p.leftTwips = clampInt(param, -kMaxTwips, kMaxTwips);
    } else if (word == "ri") {
        p.rightTwips = clampInt(param, -kMaxTwips, kMaxTwips);
    } else if (word == "fi") {
        p.firstTwips = clampInt(param, -kMaxTwips, kMaxTwips);
    } else if (word == "sb") {
        p.beforeTwips = clampInt(param, 0, kMaxTwips);
    } else if (word == "sa") {
        p.afterTwips = clampInt(param, 0, kMaxTwips);
    } else if (word == "intbl") {
        p.inTable = true;
    } else if (word == "sl") {
        p.lineTwips = clampInt(param, -kMaxTwips, kMaxTwips);
    } else if (word == "slmult") {
        p.lineMultiple = param != 0;
    } else if (word == "ls") {
        p.list = std::max(param, 0);
    } else if (word == "ilvl") {
        p.level = clampInt(param, 0, 8);
    } else if (word == "dropcapli") {
        p.dropCap = param > 0;
    } else if (word == "tx" || word == "tb") {
        if (p.tabTwips.size() < 64) {
            p.tabTwips.push_back(clampInt(param, 0, kMaxTwips));
        }
    } else {
        return false;
    }
    return true;
}

void RtfReader::textByte(char byte) {
    textRun(std::string_view(&byte, 1));
}

void RtfReader::textRun(std::string_view text) {
    switch (state_.destination) {
    case Destination::Skip:
        return;
    case Destination::FontTable:
        for (const char c : text) {
            if (c == ';') {
                finishFontEntry();
            } else if (fontEntry_ >= 0) {
                fonts_[fontEntry_].nameBytes.push_back(c);
            }
        }
        return;
    case Destination::ColourTable:
        for (const char c : text) {
            if (c == ';') {
                finishColourEntry();
            }
        }
        return;
    case Destination::ListTable:
    case Destination::ListOverrideTable:
        return;
    case Destination::LevelText:
        for (const char c : text) {
            levelTextByte(static_cast<unsigned char>(c));
        }
        return;
    case Destination::ShapePropertyName:
        if (shapePropertyName_.size() < 64) {
            shapePropertyName_.append(text.substr(0, 64 - shapePropertyName_.size()));
        }
        return;
    case Destination::ShapePropertyValue:
        if (shapePropertyValue_.size() < 64) {
            shapePropertyValue_.append(text.substr(0, 64 - shapePropertyValue_.size()));
        }
        return;
    case Destination::Picture:
        for (const char c : text) {
            if (!isHexDigit(c)) {
                continue;
            }
            if (picture_.pendingNibble < 0) {
                picture_.pendingNibble = hexValue(c);
            } else {
                picture_.bytes.push_back(static_cast<char>(picture_.pendingNibble * 16 + hexValue(c)));
                picture_.pendingNibble = -1;
            }
        }
        return;
    case Destination::Text:
        break;
    }
    // A two-byte character whose second byte was written as a plain character ("\'83}" style).
    if (!text.empty() && !pendingBytes_.empty() && needsTrailByte()) {
        pendingBytes_.push_back(text.front());
        text.remove_prefix(1);
    }
    flushBytes();
    if (skipFallback_ > 0) {
        const auto skipped = std::min<std::size_t>(static_cast<std::size_t>(skipFallback_), text.size());
        text.remove_prefix(skipped);
        skipFallback_ -= static_cast<int>(skipped);
    }
    if (text.empty()) {
        return;
    }
    QString shown = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    if (const SymbolFont symbols = currentSymbolFont(); symbols != SymbolFont::None) {
        for (QChar& c : shown) {
            c = QChar(symbolCharacter(symbols, static_cast<unsigned char>(c.unicode())));
        }
    }
    output(shown);
}

void RtfReader::hexByte(unsigned char byte) {
    switch (state_.destination) {
    case Destination::Skip:
    case Destination::ColourTable:
    case Destination::ShapePropertyName:
    case Destination::ShapePropertyValue:
    case Destination::ListTable:
    case Destination::ListOverrideTable:
        return;
    case Destination::LevelText:
        levelTextByte(byte);
        return;
    case Destination::FontTable:
        if (fontEntry_ >= 0) {
            fonts_[fontEntry_].nameBytes.push_back(static_cast<char>(byte));
        }
        return;
    case Destination::Picture:
        return;
    case Destination::Text:
        break;
    }
    if (skipFallback_ > 0) {
        --skipFallback_;
        return;
    }
    if (const SymbolFont symbols = currentSymbolFont(); symbols != SymbolFont::None) {
        flushBytes();
        outputChar(symbolCharacter(symbols, byte));
        return;
    }
    const int codePage = currentCodePage();
    if (!pendingBytes_.empty() && pendingCodePage_ != codePage) {
        flushBytes();
    }
    pendingCodePage_ = codePage;
    pendingBytes_.push_back(static_cast<char>(byte));
}

bool RtfReader::needsTrailByte() {
    CodePageDecoder& decoder = decoderFor(pendingCodePage_);
    std::size_t i = 0;
    while (i < pendingBytes_.size()) {
        i += decoder.isLeadByte(static_cast<unsigned char>(pendingBytes_[i])) ? 2 : 1;
    }
    return i > pendingBytes_.size();
}

void RtfReader::flushBytes() {
    if (pendingBytes_.empty()) {
        return;
    }
    const QString text = decoderFor(pendingCodePage_).decode(pendingBytes_);
    pendingBytes_.clear();
    output(text);
}

CodePageDecoder& RtfReader::decoderFor(int codePage) {
    if (decoders_.size() >= 16 && decoders_.count(codePage) == 0) {
        decoders_.clear(); // a file switching among ever new code pages
    }
    auto& slot = decoders_[codePage];
    if (!slot) {
        slot = std::make_unique<CodePageDecoder>(codePage);
    }
    return *slot;
}

SymbolFont RtfReader::symbolFont(int index) const {
    const auto found = fonts_.find(index >= 0 ? index : defaultFont_);
    return found != fonts_.end() ? symbolFontOf(found->second.name, found->second.charset) : SymbolFont::None;
}

int RtfReader::currentCodePage() const {
    if (state_.eastAsianContext) {
        // Older writers give East Asian text the associated font's character set, whatever \f says.
        const auto asian = fonts_.find(state_.eastAsianFont);
        if (asian != fonts_.end()) {
            const int codePage = CodePageDecoder::codePageForCharset(asian->second.charset);
            if (CodePageDecoder::isDoubleByte(codePage)) {
                return codePage;
            }
        }
    }
    return fontCodePage(state_.chars.font);
}

int RtfReader::fontCodePage(int index) const {
    const auto found = fonts_.find(index >= 0 ? index : defaultFont_);
    if (found != fonts_.end() && found->second.charset >= 0) {
        if (const int codePage = CodePageDecoder::codePageForCharset(found->second.charset)) {
            return codePage;
        }
    }
    return documentCodePage_;
}

void RtfReader::output(const QString& text) {
    if (state_.destination != Destination::Text || state_.chars.hidden || text.isEmpty()) {
        return;
    }
    syncFlow();
    if (!paragraphStarted_) {
        paragraphStarted_ = true;
        const QString number = listNumber();
        if (!number.isEmpty()) {
            output(number);
        }
    }
    // Past the paragraph's bound of runs, text keeps the run it is in.
    if (!(runProps_ == state_.chars) && budget_.takeRun()) {
        flushRun();
        runProps_ = state_.chars;
    }
    budget_.setSpacing(lineSpacing(state_.para));
    for (qsizetype at = 0; at < text.size() && !finished_;) {
        const auto taken = static_cast<qsizetype>(budget_.takeText(text.size() - at, runProps_.halfPoints));
        run_ += QStringView(text).mid(at, taken);
        at += taken;
        if (at < text.size()) {
            // The paragraph is as tall as one may be: the text goes on in the next.
            startParagraph();
        }
    }
}

void RtfReader::flushRun() {
    if (run_.isEmpty()) {
        return;
    }
    cursor_.insertText(run_, charFormat(runProps_));
    run_.clear();
}

void RtfReader::applyBlockFormat() {
    cursor_.setBlockFormat(blockFormat(state_.para));
}

void RtfReader::paragraphBreak() {
    if (state_.destination != Destination::Text) {
        return;
    }
    if (++paragraphs_ > kMaxParagraphs) {
        outputChar(u' ');
        return;
    }
    syncFlow();
    startParagraph();
}

void RtfReader::startParagraph() {
    ++units_;
    budget_.setSpacing(lineSpacing(state_.para));
    if (!budget_.takeParagraph(state_.chars.halfPoints)) {
        flushRun();
        finished_ = true; // the document is as tall as the layout takes
        return;
    }
    flushRun();
    if (state_.para.dropCap) {
        return; // the letter begins the next paragraph's first word: "T" + "he"
    }
    applyBlockFormat();
    placeTextBoxes();
    cursor_.insertBlock(blockFormat(state_.para), charFormat(state_.chars));
    paragraphStarted_ = false;
    listTextSeen_ = false;
    stepEnded_ = stepEnded_ || (units_ >= stepUnits_ && !table_ && !readingTextBox_);
}

void RtfReader::lineBreak() {
    if (state_.destination != Destination::Text || state_.chars.hidden) {
        return;
    }
    budget_.setSpacing(lineSpacing(state_.para));
    if (!budget_.takeLine(state_.chars.halfPoints)) {
        paragraphBreak(); // the paragraph has all the lines it may have
    } else if (++paragraphs_ > kMaxParagraphs) {
        outputChar(u' ');
    } else {
        outputChar(u'\u2028');
    }
}

QTextCharFormat RtfReader::charFormat(const CharProps& props) const {
    QTextCharFormat format;
    const int fontIndex = props.font >= 0 ? props.font : defaultFont_;
    const auto font = fonts_.find(fontIndex);
    if (font != fonts_.end() && !font->second.name.isEmpty()) {
        format.setFontFamilies({font->second.name});
        static const QFont::StyleHint hints[] = {QFont::AnyStyle,   QFont::Serif,   QFont::SansSerif,
                                                 QFont::TypeWriter, QFont::Cursive, QFont::Decorative};
        format.setFontStyleHint(hints[font->second.family]);
    } else {
        format.setFontFamilies(defaultFormat_.fontFamilies().toStringList());
    }
    format.setFontPointSize(props.halfPoints / 2.0);
    format.setFontWeight(props.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(props.italic);
    format.setFontUnderline(props.underline);
    format.setFontStrikeOut(props.strike);
    if (props.vertical != VerticalAlign::Normal) {
        format.setVerticalAlignment(props.vertical == VerticalAlign::Super ? QTextCharFormat::AlignSuperScript
                                                                           : QTextCharFormat::AlignSubScript);
    }
    const auto colourAt = [this](int index) -> const Colour* {
        return index > 0 && index < static_cast<int>(colours_.size()) && !colours_[index].isAuto
                   ? &colours_[index]
                   : nullptr;
    };
    // Index 0, a missing entry or an empty one is the automatic colour.
    if (const Colour* c = colourAt(props.foreground)) {
        format.setForeground(QColor(c->red, c->green, c->blue));
    } else if (props.foreground == 0 && !colours_.empty() && !colours_[0].isAuto) {
        format.setForeground(QColor(colours_[0].red, colours_[0].green, colours_[0].blue));
    } else {
        format.setForeground(QColor(Qt::black));
    }
    if (const Colour* c = colourAt(props.background)) {
        format.setBackground(QColor(c->red, c->green, c->blue));
    }
    return format;
}

RtfLineSpacing RtfReader::lineSpacing(const ParaProps& props) {
    RtfLineSpacing spacing;
    spacing.around = twipsToPixels(props.beforeTwips) + twipsToPixels(props.afterTwips);
    if (props.lineMultiple && props.lineTwips > 0) {
        spacing.proportion = std::min(props.lineTwips * 100 / 240, kMaxLinePercent) / 100.0;
    } else if (props.lineTwips > 0) {
        spacing.atLeast = twipsToPixels(props.lineTwips);
    } else if (props.lineTwips < 0) {
        spacing.exactly = twipsToPixels(-props.lineTwips);
    }
    return spacing;
}

QTextBlockFormat RtfReader::blockFormat(const ParaProps& props) const {
    QTextBlockFormat format;
    format.setAlignment(props.alignment);
    format.setLeftMargin(twipsToPixels(props.leftTwips));
    format.setRightMargin(twipsToPixels(props.rightTwips));
    format.setTextIndent(twipsToPixels(props.firstTwips));
    format.setTopMargin(twipsToPixels(props.beforeTwips));
    format.setBottomMargin(twipsToPixels(props.afterTwips));
    if (props.lineTwips != 0) {
        if (props.lineMultiple && props.lineTwips > 0) {
            format.setLineHeight(std::min(props.lineTwips * 100 / 240, kMaxLinePercent),
                                 QTextBlockFormat::ProportionalHeight);
        } else if (props.lineTwips > 0) {
            format.setLineHeight(twipsToPixels(props.lineTwips), QTextBlockFormat::MinimumHeight);
        } else {
            format.setLineHeight(twipsToPixels(-props.lineTwips), QTextBlockFormat::FixedHeight);
        }
    }
    // Tab stops count from the page margin here but from the start of the (first) line in the layout;
    // a hanging first line also stops at the indent, as lists expect.
    const int lineStart = twipsToPixels(props.leftTwips) + twipsToPixels(props.firstTwips);
    QList<QTextOption::Tab> tabs;
    if (props.firstTwips < 0) {
        tabs.append(QTextOption::Tab(-twipsToPixels(props.firstTwips), QTextOption::LeftTab));
    }
    for (const int twips : props.tabTwips) {
        const int position = twipsToPixels(twips) - lineStart;
        if (position > 0 && (tabs.isEmpty() || position > tabs.back().position)) {
            tabs.append(QTextOption::Tab(position, QTextOption::LeftTab));
        }
    }
    if (!tabs.isEmpty()) {
        format.setTabPositions(tabs);
    }
    return format;
}

} // namespace velmoa
