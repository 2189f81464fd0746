#include "formats/richtext/RtfReader.h"

#include "formats/richtext/RtfSymbolFonts.h"
#include "formats/richtext/RtfSyntax.h"

namespace velmoa {
using namespace rtf;
namespace {

constexpr std::size_t kMaxLists = 4096;
constexpr int kLevels = 9;
constexpr std::size_t kMaxLevelText = 64;
constexpr unsigned char kFirstNonAscii = 0x80;
// A byte b of a level's text past ASCII is kept as kRawByte + b, the private code symbol fonts
// use for their bytes, until the level's font says how to read it.
constexpr char16_t kRawByte = 0xF000;

const char16_t kAiueo[] =
    u"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲン";
const char16_t kAiueoHalf[] = u"ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｦﾝ";
const char16_t kIroha[] =
    u"イロハニホヘトチリヌルヲワカヨタレソツネナラムウヰノオクヤマケフコエテアサキユメミシヱヒモセス";
const char16_t kIrohaHalf[] = u"ｲﾛﾊﾆﾎﾍﾄﾁﾘﾇﾙｦﾜｶﾖﾀﾚｿﾂﾈﾅﾗﾑｳヰﾉｵｸﾔﾏｹﾌｺｴﾃｱｻｷﾕﾒﾐｼヱﾋﾓｾｽ";
const char16_t kGanada[] = u"가나다라마바사아자차카타파하";
const char16_t kChosung[] = u"ㄱㄴㄷㄹㅁㅂㅅㅇㅈㅊㅋㅌㅍㅎ";
const char16_t kStems[] = u"甲乙丙丁戊己庚辛壬癸";
const char16_t kBranches[] = u"子丑寅卯辰巳午未申酉戌亥";

// The n-th (from 1) of a cycle of characters, doubled on the second round and so on, as word
// processors count past the end of a syllabary.
template <std::size_t N> QString cycled(int number, const char16_t (&letters)[N]) {
    constexpr int count = static_cast<int>(N - 1);
    const int index = (number - 1) % count;
    return QString(QChar(letters[index])).repeated(std::min((number - 1) / count + 1, 8));
}

QString roman(int number) {
    static const std::pair<int, const char*> parts[] = {
        {1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"}, {90, "XC"}, {50, "L"},
        {40, "XL"},  {10, "X"},   {9, "IX"},  {5, "V"},    {4, "IV"},  {1, "I"}};
    QString out;
    for (const auto& [value, letters] : parts) {
        for (; number >= value; number -= value) {
            out += QLatin1String(letters);
        }
    }
    return out;
}

// 一, 十, 十一, 二十, 百二十三: counting in Kanji; digits one by one from a thousand on.
QString kanji(int number, const char16_t* digits, const char16_t* ten, const char16_t* hundred) {
    if (number <= 0 || number >= 1000) {
        QString out;
        for (const QChar c : QString::number(number)) {
            out += QChar(c == u'0' ? u'〇' : digits[c.digitValue()]);
        }
        return out;
    }
    QString out;
    auto place = [&](int count, const char16_t* unit) {
        if (count > 1) {
            out += QChar(digits[count]);
        }
        if (count > 0) {
            out += QString::fromUtf16(unit);
        }
    };
    place(number / 100, hundred);
    place(number / 10 % 10, ten);
    if (number % 10 != 0) {
        out += QChar(digits[number % 10]);
    }
    return out;
}

} // namespace

QString RtfReader::formatNumber(int number, int format) {
    static const char16_t kDigits[] = u"〇一二三四五六七八九";
    static const char16_t kFormalDigits[] = u"〇壱弐参四伍六七八九";
    switch (format) {
    case 1:
        return roman(number);
    case 2:
        return roman(number).toLower();
    case 3:
    case 4: {
        const QString letter = cycled(number, u"ABCDEFGHIJKLMNOPQRSTUVWXYZ");
        return format == 3 ? letter : letter.toLower();
    }
    case 10:
    case 11:
    case 26:
    case 27:
    case 28:
    case 29:
    case 33:
    case 34:
    case 35:
    case 36:
    case 37:
    case 38:
    case 39:
        return kanji(number, kDigits, u"十", u"百");
    case 16:
    case 17:
        return kanji(number, kFormalDigits, u"拾", u"百");
    case 12:
        return cycled(number, kAiueoHalf);
    case 20:
        return cycled(number, kAiueo);
    case 13:
        return cycled(number, kIrohaHalf);
    case 21:
        return cycled(number, kIroha);
    case 14:
    case 19: {
        QString wide;
        for (const QChar c : QString::number(number)) {
            wide += QChar(c.unicode() - u'0' + u'０');
        }
        return wide;
    }
    case 18:
        return number >= 1 && number <= 20 ? QString(QChar(u'①' + number - 1)) : QString::number(number);
    case 22:
        return QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
    case 24:
        return cycled(number, kGanada);
    case 25:
        return cycled(number, kChosung);
    case 30:
        return cycled(number, kStems);
    case 31:
        return cycled(number, kBranches);
    case 23: // a bullet: the level's text holds it
    case 255:
        return {};
    default:
        return QString::number(number);
    }
}

bool RtfReader::listWord(const std::string& word, int param) {
    if (state_.destination == Destination::ListOverrideTable) {
        // An override may give levels of the list a number format of their own (\lfolevel, in
        // order of the levels).
        if (word == "listoverride") {
            overrideFormats_.fill(-1);
            overrideLevel_ = -1;
        } else if (word == "lfolevel") {
            overrideLevel_ = std::min(overrideLevel_ + 1, kLevels - 1);
        } else if ((word == "levelnfc" || word == "levelnfcn") && overrideLevel_ >= 0) {
            overrideFormats_[static_cast<std::size_t>(overrideLevel_)] = clampInt(param, 0, 255);
        } else if (word == "listid") {
            overrideListId_ = param;
        } else if (word == "ls" && listOverrides_.size() < kMaxLists) {
            listOverrides_[param] = {overrideListId_, overrideFormats_};
        }
        return true;
    }
    if (state_.destination == Destination::LevelText) {
        if (word == "u") {
            if (!listLevels_.empty() && listLevels_.back().text.size() < kMaxLevelText) {
                listLevels_.back().text.push_back(static_cast<char16_t>(param < 0 ? param + 65536 : param));
            }
            skipFallback_ = state_.unicodeSkip;
        }
        return true;
    }
    if (word == "list") {
        listLevels_.clear();
    } else if (word == "listlevel") {
        if (listLevels_.size() < static_cast<std::size_t>(kLevels)) {
            listLevels_.emplace_back();
        }
    } else if (word == "listid") {
        // The list's id follows its levels.
        if (lists_.size() < kMaxLists) {
            lists_[param] = listLevels_;
        }
    } else if (!listLevels_.empty()) {
        ListLevel& level = listLevels_.back();
        if (word == "levelnfc" || word == "levelnfcn") {
            level.format = clampInt(param, 0, 255);
        } else if (word == "levelstartat") {
            level.start = clampInt(param, 0, 32767);
        } else if (word == "levelfollow") {
            level.follow = clampInt(param, 0, 2);
        } else if (word == "f") {
            level.font = param;
        }
    }
    return true;
}

void RtfReader::levelTextByte(unsigned char byte) {
    if (listLevels_.empty() || listLevels_.back().text.size() >= kMaxLevelText) {
        return;
    }
    // Bytes past ASCII are read once the level's font, which follows its text, is known.
    listLevels_.back().text.push_back(byte < kFirstNonAscii ? char16_t{byte}
                                                            : static_cast<char16_t>(kRawByte + byte));
}

QString RtfReader::levelText(const ListLevel& level, std::u16string_view text) {
    const SymbolFont symbols = symbolFont(level.font);
    CodePageDecoder& decoder = decoderFor(fontCodePage(level.font));
    QString out;
    std::string bytes;
    const auto flush = [&] {
        if (!bytes.empty()) {
            out += decoder.decode(bytes);
            bytes.clear();
        }
    };
    // The bytes end inside a two-byte character: an ASCII byte next is its second.
    const auto wantsTrail = [&] {
        std::size_t at = 0;
        while (at < bytes.size()) {
            at += decoder.isLeadByte(static_cast<unsigned char>(bytes[at])) ? 2 : 1;
        }
        return at > bytes.size();
    };
    for (const char16_t c : text) {
        const bool raw = isSymbolPrivate(c) || (c >= kRawByte + kFirstNonAscii && c <= kRawByte + 0xFF);
        if (symbols == SymbolFont::None && !raw && c < kFirstNonAscii && !bytes.empty() && wantsTrail()) {
            bytes.push_back(static_cast<char>(c));
        } else if (symbols != SymbolFont::None && (raw || c <= 0xFF)) {
            flush();
            out += QChar(symbolCharacter(symbols, static_cast<unsigned char>(c & 0xFF)));
        } else if (raw) {
            bytes.push_back(static_cast<char>(c & 0xFF));
        } else {
            flush();
            out += QChar(c);
        }
    }
    flush();
    return out;
}

QString RtfReader::listNumber() {
    const ParaProps& para = state_.para;
    if (para.list <= 0) {
        return {};
    }
    const auto override = listOverrides_.find(para.list);
    if (override == listOverrides_.end()) {
        return {};
    }
    const auto list = lists_.find(override->second.list);
    if (list == lists_.end() || para.level >= static_cast<int>(list->second.size())) {
        return {};
    }
    const std::vector<ListLevel>& levels = list->second;
    if (listCounters_.size() >= kMaxLists && listCounters_.count(para.list) == 0) {
        return {};
    }
    // Counted whether or not the writer gave the number, so that later items agree.
    std::array<int, 9>& counters = listCounters_[para.list];
    counters[static_cast<std::size_t>(para.level)] =
        counters[static_cast<std::size_t>(para.level)] == 0
            ? std::max(levels[static_cast<std::size_t>(para.level)].start, 1)
            : counters[static_cast<std::size_t>(para.level)] + 1;
    for (int deeper = para.level + 1; deeper < kLevels; ++deeper) {
        counters[static_cast<std::size_t>(deeper)] = 0;
    }
    if (listTextSeen_) {
        return {};
    }
    const ListLevel& level = levels[static_cast<std::size_t>(para.level)];
    if (level.text.empty()) {
        return {};
    }
    QString number;
    const std::u16string_view text = level.text;
    // The length counts characters: a two-byte character of the font's code page is one.
    CodePageDecoder* decoder =
        symbolFont(level.font) == SymbolFont::None ? &decoderFor(fontCodePage(level.font)) : nullptr;
    std::size_t start = 1;
    std::size_t i = 1;
    for (int counted = 0; counted < text[0] && i < text.size(); ++counted) {
        const char16_t c = text[i];
        if (c < kLevels) {
            number += levelText(level, text.substr(start, i - start));
            start = i + 1;
            const auto at = static_cast<std::size_t>(c);
            const int overridden = override->second.formats[at];
            const int format = overridden >= 0 ? overridden : at < levels.size() ? levels[at].format : 0;
            number += formatNumber(std::max(counters[at], 1), format);
        }
        const bool lead = decoder && c >= kRawByte && c <= kRawByte + 0xFF &&
                          decoder->isLeadByte(static_cast<unsigned char>(c & 0xFF));
        i += lead ? 2 : 1;
    }
    number += levelText(level, text.substr(start, std::min(i, text.size()) - start));
    return number + (level.follow == 0   ? QStringLiteral("\t")
                     : level.follow == 1 ? QStringLiteral(" ")
                                         : QString());
}

} // namespace velmoa
