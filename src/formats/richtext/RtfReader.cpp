#include "formats/richtext/RtfReader.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextLength>
#include <QTextTable>
#include <QUrl>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <unordered_set>

namespace velmoa {
namespace {
constexpr int kTwipsPerPixel = 15; // 1440 twips per inch at 96 pixels per inch
constexpr int kMaxTwips = 31680;   // 22 inches: larger indents and spacings are damage
constexpr int kMaxColumns = 64;
constexpr int kMaxRows = 20000;
constexpr int kMaxPictureSide = 10000;
constexpr std::size_t kMaxFonts = 4096;

int clampInt(int value, int low, int high) {
    return std::clamp(value, low, high);
}

int twipsToPixels(int twips) {
    return clampInt(twips, -kMaxTwips, kMaxTwips) / kTwipsPerPixel;
}

// Destinations whose content is never shown: document information, style and list definitions,
// headers and footers, field instructions, alternative copies of pictures, drawing objects.
const std::unordered_set<std::string>& skippedDestinations() {
    // clang-format off
    static const std::unordered_set<std::string> words = {
        "stylesheet", "info", "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr",
        "footerf", "footnote", "annotation", "atnid", "atnauthor", "atnref", "atndate", "listtable",
        "listoverridetable", "rsidtbl", "generator", "xmlnstbl", "mmathPr", "themedata",
        "colorschememapping", "latentstyles", "datastore", "pgdsctbl", "revtbl", "filetbl", "fldinst",
        "nonshppict", "shpinst", "objdata", "objclass", "objname", "bkmkstart", "bkmkend", "ftnsep",
        "ftnsepc", "aftnsep", "aftnsepc", "pn", "do", "template", "userprops", "docvar", "private", "xe",
        "tc", "txe", "upr", "pnseclvl", "fchars", "lchars", "protusertbl", "wgrffmtfilter", "passwordhash",
        "comment", "keywords", "title", "subject", "author", "operator", "company", "doccomm", "oldcprops",
        "oldpprops", "oldtprops", "oldsprops", "listpicture", "defchp", "defpap", "mhtmltag", "htmltag",
        "blipuid", "picprop", "nesttableprops", "factoidname",
    };
    // clang-format on
    return words;
}

constexpr int kSymbolCharset = 2;

// List bullets written in symbol fonts (Symbol, Wingdings), as the characters they look like; other
// symbol bytes keep their Latin meaning.
char16_t symbolCharacter(unsigned char byte) {
    switch (byte) {
    case 0xB7:
        return u'\u2022';
    case 0xA7:
        return u'\u25AA';
    case 0xD8:
        return u'\u27A2';
    case 0xFC:
        return u'\u2713';
    default:
        return byte;
    }
}

bool isHexDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    return (std::tolower(static_cast<unsigned char>(c)) - 'a') + 10;
}
} // namespace

RtfReader::RtfReader(QTextDocument& document, const QTextCharFormat& defaultFormat)
    : document_(document), defaultFormat_(defaultFormat) {}

RtfReader::~RtfReader() = default;

bool RtfReader::looksLikeRtf(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size() &&
           (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n')) {
        ++i;
    }
    return bytes.substr(i, 5) == "{\\rtf";
}

bool readRtf(std::string_view bytes, QTextDocument& document, const QTextCharFormat& defaultFormat) {
    return RtfReader(document, defaultFormat).read(bytes);
}

bool RtfReader::read(std::string_view bytes) {
    if (!looksLikeRtf(bytes)) {
        return false;
    }
    document_.clear();
    cursor_ = QTextCursor(&document_);
    cursor_.beginEditBlock();

    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n && !finished_) {
        const char c = bytes[i];
        if (c == '{') {
            ++i;
            openGroup();
        } else if (c == '}') {
            ++i;
            closeGroup();
        } else if (c == '\\') {
            ++i;
            if (i >= n) {
                break;
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
                    binaryData(bytes.substr(i, count));
                    i += count;
                } else {
                    controlWord(word, hasParam, param);
                }
            } else if (d == '\'') {
                if (i + 2 < n && isHexDigit(bytes[i + 1]) && isHexDigit(bytes[i + 2])) {
                    hexByte(static_cast<unsigned char>(hexValue(bytes[i + 1]) * 16 + hexValue(bytes[i + 2])));
                    i += 3;
                } else {
                    ++i; // a damaged escape: drop it
                }
            } else if (d == '\r' || d == '\n') {
                ++i;
                controlWord("par", false, 0);
            } else {
                ++i;
                controlSymbol(d);
            }
        } else if (c == '\r' || c == '\n') {
            ++i;
        } else if (static_cast<unsigned char>(c) >= 0x80) {
            // Writers that do not escape their code page's bytes.
            hexByte(static_cast<unsigned char>(c));
            ++i;
        } else {
            std::size_t j = i;
            while (j < n && bytes[j] != '\\' && bytes[j] != '{' && bytes[j] != '}' && bytes[j] != '\r' &&
                   bytes[j] != '\n' && static_cast<unsigned char>(bytes[j]) < 0x80) {
                ++j;
            }
            textRun(bytes.substr(i, j - i));
            i = j;
        }
    }

    // A cut-off file ends here with groups still open: keep what was read.
    flushBytes();
    if (state_.destination == Destination::Picture) {
        finishPicture();
    }
    flushRun();
    if (!finished_) {
        applyBlockFormat();
    }
    cursor_.endEditBlock();
    return true;
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
    state_ = states_.back();
    states_.pop_back();
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
    if (word == "pict") {
        if (state_.destination == Destination::Text) {
            state_.destination = Destination::Picture;
            picture_ = PictureData{};
        } else {
            state_.destination = Destination::Skip;
        }
        return true;
    }
    if (word == "shppict" || word == "shprslt" || word == "fldrslt" || word == "field" || word == "object" ||
        word == "result" || word == "listtext" || word == "pntext") {
        return true; // containers of visible content
    }
    if (skippedDestinations().count(word) != 0 || starred) {
        state_.destination = Destination::Skip;
        return true;
    }
    return false;
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
        return;
    case Destination::Skip:
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
        } else if (code >= 0xF020 && code <= 0xF0FF) {
            code = symbolCharacter(static_cast<unsigned char>(code & 0xFF)); // a symbol font's private codes
        }
        if (code != 0) {
            outputChar(static_cast<char16_t>(code));
        }
        skipFallback_ = state_.unicodeSkip;
    } else if (word == "par" || word == "page" || word == "sect") {
        paragraphBreak();
    } else if (word == "line" || word == "nestrow") {
        outputChar(u'\u2028');
    } else if (word == "tab" || word == "nestcell") {
        outputChar(u'\t');
    } else if (word == "cell") {
        endCell();
    } else if (word == "row") {
        endRow();
    } else if (word == "trowd") {
        rowCellEdges_.clear();
    } else if (word == "cellx") {
        if (rowCellEdges_.size() < static_cast<std::size_t>(kMaxColumns)) {
            rowCellEdges_.push_back(clampInt(param, 0, kMaxTwips));
        }
    } else if (applyCharWord(word, hasParam, param) || applyParaWord(word, hasParam, param)) {
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
    } else if (word == "tx" || word == "tb") {
        if (p.tabTwips.size() < 64) {
            p.tabTwips.push_back(clampInt(param, 0, kMaxTwips));
        }
    } else {
        return false;
    }
    return true;
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
    if (!text.empty()) {
        output(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    }
}

void RtfReader::hexByte(unsigned char byte) {
    switch (state_.destination) {
    case Destination::Skip:
    case Destination::ColourTable:
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
    if (currentCharset() == kSymbolCharset) {
        flushBytes();
        outputChar(symbolCharacter(byte));
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

int RtfReader::currentCharset() const {
    const auto found = fonts_.find(state_.chars.font >= 0 ? state_.chars.font : defaultFont_);
    return found != fonts_.end() ? found->second.charset : -1;
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
    const int index = state_.chars.font >= 0 ? state_.chars.font : defaultFont_;
    const auto found = fonts_.find(index);
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
    syncTable();
    if (!run_.isEmpty() && !(runProps_ == state_.chars)) {
        flushRun();
    }
    runProps_ = state_.chars;
    run_ += text;
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
    syncTable();
    flushRun();
    applyBlockFormat();
    cursor_.insertBlock(blockFormat(state_.para), charFormat(state_.chars));
}

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

QTextCharFormat RtfReader::charFormat(const CharProps& props) const {
    QTextCharFormat format;
    const int index = props.font >= 0 ? props.font : defaultFont_;
    const auto font = fonts_.find(index);
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
            format.setLineHeight(std::min(props.lineTwips * 100 / 240, 1000),
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
