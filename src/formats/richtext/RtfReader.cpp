#include "formats/richtext/RtfReader.h"

#include "formats/richtext/RtfSyntax.h"

#include <QTextDocument>
#include <algorithm>
#include <cctype>
#include <limits>
#include <unordered_set>

namespace velmoa {
using namespace rtf;
namespace {

constexpr std::size_t kMaxFonts = 4096;

// Destinations whose content is never shown: document information, style and list definitions,
// headers and footers, field instructions, alternative copies of pictures, drawing objects.
const std::unordered_set<std::string>& skippedDestinations() {
    // clang-format off
    static const std::unordered_set<std::string> words = {
        "stylesheet", "info", "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr",
        "footerf", "footnote", "annotation", "atnid", "atnauthor", "atnref", "atndate", "rsidtbl", "generator", "xmlnstbl", "mmathPr", "themedata",
        "colorschememapping", "latentstyles", "datastore", "pgdsctbl", "revtbl", "filetbl", "fldinst",
        "nonshppict", "objdata", "objclass", "objname", "bkmkstart", "bkmkend", "ftnsep",
        "ftnsepc", "aftnsep", "aftnsepc", "pn", "do", "template", "userprops", "docvar", "private", "xe",
        "tc", "txe", "upr", "pnseclvl", "fchars", "lchars", "protusertbl", "wgrffmtfilter", "passwordhash",
        "comment", "keywords", "title", "subject", "author", "operator", "company", "doccomm", "oldcprops",
        "oldpprops", "oldtprops", "oldsprops", "listpicture", "defchp", "defpap", "mhtmltag", "htmltag",
        "blipuid", "picprop", "nesttableprops", "factoidname",
    };
    // clang-format on
    return words;
}

} // namespace

RtfReader::RtfReader(QTextDocument& document, const QTextCharFormat& defaultFormat,
                     RtfPictureDecoder pictures)
    : document_(document), defaultFormat_(defaultFormat), pictures_(std::move(pictures)) {}

RtfReader::~RtfReader() = default;

bool RtfReader::looksLikeRtf(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size() &&
           (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n')) {
        ++i;
    }
    return bytes.substr(i, 5) == "{\\rtf";
}

bool readRtf(std::string_view bytes, QTextDocument& document, const QTextCharFormat& defaultFormat,
             RtfPictureDecoder pictures) {
    return RtfReader(document, defaultFormat, std::move(pictures)).read(bytes);
}

bool RtfReader::read(std::string_view bytes) {
    if (!start(bytes)) {
        return false;
    }
    while (readStep(std::numeric_limits<int>::max())) {
    }
    return true;
}

bool RtfReader::start(std::string_view bytes) {
    if (!looksLikeRtf(bytes)) {
        return false;
    }
    bytes_ = bytes;
    at_ = 0;
    document_.clear();
    cursor_ = QTextCursor(&document_);
    return true;
}

bool RtfReader::readStep(int units) {
    // One edit, one layout of what it added; the reading cursor may be in a text box's document.
    QTextCursor edit(&document_);
    edit.beginEditBlock();
    units_ = 0;
    stepUnits_ = units;
    stepEnded_ = false;
    while (at_ < bytes_.size() && !finished_ && !stepEnded_) {
        readToken();
    }
    const bool more = at_ < bytes_.size() && !finished_;
    if (more) {
        flushRun(); // shown now, though its paragraph goes on
    } else {
        finish();
    }
    edit.endEditBlock();
    return more;
}

void RtfReader::readToken() {
    const std::string_view bytes = bytes_;
    const std::size_t n = bytes.size();
    std::size_t i = at_;
    const char c = bytes[i];
    if (c == '{') {
        at_ = i + 1;
        openGroup();
    } else if (c == '}') {
        at_ = i + 1;
        closeGroup();
    } else if (c == '\\') {
        ++i;
        if (i >= n) {
            at_ = n;
            return;
        }
        const char d = bytes[i];
        if (std::isalpha(static_cast<unsigned char>(d))) {
            std::string word;
            while (i < n && std::isalpha(static_cast<unsigned char>(bytes[i]))) {
                if (word.size() < 32) {
                    word.push_back(bytes[i]);
                }
                ++i;
            }
            bool hasParam = false;
            bool negative = false;
            long long value = 0;
            if (i < n && bytes[i] == '-' && i + 1 < n &&
                std::isdigit(static_cast<unsigned char>(bytes[i + 1]))) {
                negative = true;
                ++i;
            }
            while (i < n && std::isdigit(static_cast<unsigned char>(bytes[i]))) {
                hasParam = true;
                value = std::min<long long>(value * 10 + (bytes[i] - '0'), 1LL << 40);
                ++i;
            }
            if (i < n && bytes[i] == ' ') {
                ++i;
            }
            value = std::min<long long>(value, 0x7FFFFFFF);
            const int param = static_cast<int>(negative ? -value : value);
            if (word == "bin") {
                // Raw bytes follow; they must not be read as syntax.
                const std::size_t count = std::min<std::size_t>(hasParam ? std::max(param, 0) : 0, n - i);
                at_ = i + count;
                binaryData(bytes.substr(i, count));
            } else {
                at_ = i;
                controlWord(word, hasParam, param);
            }
        } else if (d == '\'') {
            if (i + 2 < n && isHexDigit(bytes[i + 1]) && isHexDigit(bytes[i + 2])) {
                at_ = i + 3;
                hexByte(static_cast<unsigned char>(hexValue(bytes[i + 1]) * 16 + hexValue(bytes[i + 2])));
            } else {
                at_ = i + 1; // a damaged escape: drop it
            }
        } else if (d == '\r' || d == '\n') {
            at_ = i + 1;
            controlWord("par", false, 0);
        } else {
            at_ = i + 1;
            controlSymbol(d);
        }
    } else if (c == '\r' || c == '\n') {
        at_ = i + 1;
    } else if (static_cast<unsigned char>(c) >= 0x80) {
        // Writers that do not escape their code page's bytes.
        at_ = i + 1;
        hexByte(static_cast<unsigned char>(c));
    } else {
        std::size_t j = i;
        while (j < n && bytes[j] != '\\' && bytes[j] != '{' && bytes[j] != '}' && bytes[j] != '\r' &&
               bytes[j] != '\n' && static_cast<unsigned char>(bytes[j]) < 0x80) {
            ++j;
        }
        at_ = j;
        textRun(bytes.substr(i, j - i));
    }
}

void RtfReader::finish() {
    // A cut-off file ends here with groups still open: keep what was read.
    flushBytes();
    if (state_.destination == Destination::Picture) {
        finishPicture();
    }
    state_.shapeDepth = 0; // shapes cut off are drawn as far as they were read
    endShapes();
    flushRun();
    if (!finished_) {
        applyBlockFormat();
    }
    endTextBox();
    placeTextBoxes();
    endFrames();
    finished_ = true;
}

void RtfReader::openGroup() {
    flushBytes();
    skipFallback_ = 0;
    starred_ = false;
    if (overflowDepth_ > 0 || static_cast<int>(states_.size()) >= kMaxGroupDepth) {
        ++overflowDepth_;
        return;
    }
    states_.push_back(state_);
}

void RtfReader::closeGroup() {
    flushBytes();
    skipFallback_ = 0;
    starred_ = false;
    if (overflowDepth_ > 0) {
        --overflowDepth_;
        return;
    }
    if (states_.empty()) {
        return; // a stray closing brace
    }
    if (states_.size() == 1) {
        // The document's own group ends: its last paragraph keeps the formats it had.
        flushRun();
        applyBlockFormat();
        finished_ = true;
    }
    const Destination closing = state_.destination;
    const bool closingTextBox = state_.inTextBox;
    state_ = states_.back();
    states_.pop_back();
    if (closingTextBox && !state_.inTextBox) {
        endTextBox();
    }
    if (closing == Destination::ShapePropertyValue && state_.destination != Destination::ShapePropertyValue) {
        setShapeProperty();
    }
    endShapes();
    if (closing == Destination::FontTable) {
        finishFontEntry();
    } else if (closing == Destination::Picture && state_.destination != Destination::Picture) {
        finishPicture();
    }
}

void RtfReader::binaryData(std::string_view data) {
    flushBytes();
    if (state_.destination == Destination::Picture) {
        picture_.bytes.append(data);
    }
}

bool RtfReader::destinationWord(const std::string& word, bool starred) {
    if (word == "fonttbl") {
        state_.destination = Destination::FontTable;
        fontEntry_ = -1;
        return true;
    }
    if (word == "colortbl") {
        state_.destination = Destination::ColourTable;
        colours_.clear();
        colourEntry_ = Colour{};
        return true;
    }
    if (word == "listtable" || word == "listoverridetable") {
        state_.destination = word == "listtable" ? Destination::ListTable : Destination::ListOverrideTable;
        return true;
    }
    if (word == "leveltext" && state_.destination == Destination::ListTable) {
        state_.destination = Destination::LevelText;
        return true;
    }
    if (word == "listtext" || word == "pntext") {
        listTextSeen_ = true;
        return true;
    }
    if (word == "pict") {
        if (state_.destination == Destination::Text) {
            state_.destination = Destination::Picture;
            picture_ = PictureData{};
        } else {
            state_.destination = Destination::Skip;
        }
        return true;
    }
    if (word == "shp" || word == "shpgrp") {
        state_.shapePictures = pictureCount_;
        beginShape(word == "shpgrp");
        return true;
    }
    if (word == "shprslt" &&
        (hidesShapeResult() || (state_.shapePictures >= 0 && pictureCount_ > state_.shapePictures))) {
        state_.destination = Destination::Skip; // the shape's own picture is shown: not its copy
        return true;
    }
    if (word == "shppict" || word == "shprslt" || word == "fldrslt" || word == "field" || word == "object" ||
        word == "result" || word == "shpinst") {
        return true; // containers of visible content
    }
    // A shape's properties are skipped but for the text that WordArt shapes keep in one of them.
    if (word == "sp") {
        state_.destination =
            state_.destination == Destination::Text ? Destination::ShapePropertyName : Destination::Skip;
        shapePropertyName_.clear();
        return true;
    }
    if (word == "sn" && state_.destination == Destination::ShapePropertyName) {
        shapePropertyName_.clear();
        return true;
    }
    if (word == "sv" && state_.destination == Destination::ShapePropertyName) {
        if (shapePropertyName_ == "pib") {
            state_.destination = Destination::Text; // a picture shape's picture: shown where anchored
            return true;
        }
        if (shapePropertyName_ == "gtextUNICODE") {
            state_.destination = Destination::Text;
        } else if (state_.shapeDepth > 0 && RtfShape::isDrawingProperty(shapePropertyName_)) {
            state_.destination = Destination::ShapePropertyValue;
            shapePropertyValue_.clear();
            return true;
        } else {
            state_.destination = Destination::Skip;
            return true;
        }
    }
    if (word == "shptxt" && state_.shapeDepth > 0 && state_.shapeDepth <= shapes_.size()) {
        shapes_[state_.shapeDepth - 1].hasText = true; // its text is shown as text; the box is not drawn
    }
    if (word == "shptxt" || word == "sv") {
        if (state_.destination == Destination::Text && !state_.inTextBox) {
            beginTextBox();
            state_.inTextBox = true;
        }
        return true;
    }
    if (word == "mmath" || (state_.inMath && word.size() > 1 && word[0] == 'm')) {
        return mathWord(word);
    }
    if (skippedDestinations().count(word) != 0 || starred) {
        state_.destination = Destination::Skip;
        return true;
    }
    return false;
}

bool RtfReader::mathWord(const std::string& word) {
    // Math objects are groups of arguments, down to runs of text; their properties ("…Pr") and a
    // picture of the whole stay unseen. What is shown is the text, in reading order: superscripts
    // and subscripts raised and lowered, a fraction's parts split by a slash.
    if (state_.destination != Destination::Text) {
        return true;
    }
    state_.inMath = true;
    if (word.ends_with("Pr") || word == "mmathPict") {
        state_.destination = Destination::Skip;
    } else if (word == "msup") {
        state_.chars.vertical = VerticalAlign::Super;
    } else if (word == "msub") {
        state_.chars.vertical = VerticalAlign::Sub;
    } else if (word == "mden") {
        outputChar(u'/');
    }
    return true;
}

void RtfReader::controlWord(const std::string& word, bool hasParam, int param) {
    flushBytes();
    const bool starred = starred_;
    starred_ = false;
    if (dropsThisToken()) {
        return;
    }
    if (destinationWord(word, starred)) {
        return;
    }

    switch (state_.destination) {
    case Destination::FontTable:
        if (word == "f") {
            finishFontEntry();
            fontEntry_ = fonts_.size() < kMaxFonts || fonts_.count(param) != 0 ? param : -1;
            if (fontEntry_ >= 0) {
                fonts_[fontEntry_] = Font{};
            }
        } else if (fontEntry_ >= 0 && fonts_.count(fontEntry_) != 0) {
            Font& font = fonts_[fontEntry_];
            static const char* const families[] = {"fnil",    "froman",  "fswiss",
                                                   "fmodern", "fscript", "fdecor"};
            for (int k = 0; k < 6; ++k) {
                if (word == families[k]) {
                    font.family = k;
                }
            }
            if (word == "fcharset") {
                font.charset = param;
            }
        }
        return;
    case Destination::ColourTable:
        if (word == "red" || word == "green" || word == "blue") {
            colourEntry_.isAuto = false;
            const int v = clampInt(param, 0, 255);
            (word == "red" ? colourEntry_.red : word == "green" ? colourEntry_.green : colourEntry_.blue) = v;
        }
        return;
    case Destination::Picture:
        pictureWord(word, param);
        return;
    case Destination::ListTable:
    case Destination::ListOverrideTable:
    case Destination::LevelText:
        listWord(word, param);
        return;
    case Destination::Skip:
    case Destination::ShapePropertyName:
    case Destination::ShapePropertyValue:
        return;
    case Destination::Text:
        break;
    }

    if (word == "ansicpg") {
        documentCodePage_ = clampInt(param, 0, 65535);
    } else if (word == "ansi") {
        documentCodePage_ = 1252;
    } else if (word == "mac") {
        documentCodePage_ = 10000;
    } else if (word == "pc") {
        documentCodePage_ = 437;
    } else if (word == "pca") {
        documentCodePage_ = 850;
    } else if (word == "deff") {
        defaultFont_ = param;
    } else if (word == "uc") {
        state_.unicodeSkip = clampInt(param, 0, 16);
    } else if (word == "u" && hasParam) {
        int code = param < 0 ? param + 65536 : param;
        if (code < 0 || code > 0xFFFF) {
            code = 0xFFFD;
        } else if (isSymbolPrivate(code)) {
            code = symbolCharacter(currentSymbolFont(), static_cast<unsigned char>(code & 0xFF));
        }
        if (code != 0) {
            outputChar(static_cast<char16_t>(code));
        }
        skipFallback_ = state_.unicodeSkip;
    } else if (word == "par" || word == "page" || word == "sect") {
        paragraphBreak();
    } else if (word == "line" || word == "nestrow") {
        lineBreak();
    } else if (word == "tab" || word == "nestcell") {
        outputChar(u'\t');
    } else if (word == "cell") {
        endCell();
    } else if (word == "row") {
        endRow();
    } else if (applyTableWord(word, param) || applyCharWord(word, hasParam, param) ||
               applyParaWord(word, hasParam, param) || applyFrameWord(word, param) ||
               applyShapeWord(word, param)) {
        // format changed
    } else {
        static const std::pair<const char*, char16_t> specials[] = {
            {"emdash", u'\u2014'},    {"endash", u'\u2013'},  {"emspace", u'\u2003'},
            {"enspace", u'\u2002'},   {"qmspace", u'\u2005'}, {"bullet", u'\u2022'},
            {"lquote", u'\u2018'},    {"rquote", u'\u2019'},  {"ldblquote", u'\u201C'},
            {"rdblquote", u'\u201D'}, {"zwj", u'\u200D'},     {"zwnj", u'\u200C'},
            {"ltrmark", u'\u200E'},   {"rtlmark", u'\u200F'}, {"zwbo", u'\u200B'},
        };
        for (const auto& [name, c] : specials) {
            if (word == name) {
                outputChar(c);
                break;
            }
        }
    }
}

bool RtfReader::dropsThisToken() {
    if (state_.destination == Destination::Skip) {
        return true;
    }
    // A Unicode escape's fallback characters are counted down token by token.
    if (skipFallback_ > 0) {
        --skipFallback_;
        return true;
    }
    return false;
}

void RtfReader::controlSymbol(char symbol) {
    if (symbol == '\\' || symbol == '{' || symbol == '}') {
        // Escaped characters may be the second byte of a two-byte character: no flush here.
        starred_ = false;
        if (skipFallback_ > 0 && state_.destination != Destination::Skip) {
            --skipFallback_;
            return;
        }
        textByte(symbol);
        return;
    }
    flushBytes();
    if (symbol == '*') {
        starred_ = true;
        return;
    }
    starred_ = false;
    if (dropsThisToken()) {
        return;
    }
    switch (symbol) {
    case '~':
        outputChar(u'\u00A0');
        break;
    case '-':
        outputChar(u'\u00AD');
        break;
    case '_':
        outputChar(u'\u2011');
        break;
    case '\t':
        outputChar(u'\t');
        break;
    default:
        break; // index entries (\:) and formula characters (\|) carry nothing visible
    }
}

void RtfReader::finishFontEntry() {
    if (fontEntry_ < 0 || fonts_.count(fontEntry_) == 0) {
        return;
    }
    Font& font = fonts_[fontEntry_];
    if (!font.nameBytes.empty()) {
        int codePage = CodePageDecoder::codePageForCharset(font.charset);
        if (codePage == 0) {
            codePage = documentCodePage_;
        }
        font.name = decoderFor(codePage).decode(font.nameBytes).trimmed();
        font.nameBytes.clear();
    }
}

void RtfReader::finishColourEntry() {
    if (colours_.size() < 0xFFFF) {
        colours_.push_back(colourEntry_);
    }
    colourEntry_ = Colour{};
}

} // namespace velmoa
