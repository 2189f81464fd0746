#include "formats/richtext/RtfSymbolFonts.h"

#include <utility>

namespace velmoa::rtf {
namespace {

constexpr int kSymbolCharset = 2;
constexpr unsigned char kSymbolBullet = 0xB7;

using Picture = std::pair<unsigned char, char16_t>;

// The bullets word processors offer from Wingdings.
constexpr Picture kWingdings[] = {
    {0x6C, u'\u25CF'}, // ● black circle
    {0x6E, u'\u25A0'}, // ■ black square
    {0x6F, u'\u25A1'}, // □ white square
    {0x71, u'\u2751'}, // ❑ shadowed white square
    {0x75, u'\u25C6'}, // ◆ black diamond
    {0x76, u'\u2756'}, // ❖ black diamond minus white X
    {0xA7, u'\u25AA'}, // ▪ small black square
    {0xA8, u'\u25FB'}, // ◻ white medium square
    {0xD8, u'\u27A2'}, // ➢ arrowhead
    {0xFB, u'\u2717'}, // ✗ ballot X
    {0xFC, u'\u2713'}, // ✓ check mark
};

// Symbol's bullets and card suits.
constexpr Picture kSymbol[] = {
    {0xB7, u'\u2022'}, // • bullet
    {0xA7, u'\u2663'}, // ♣
    {0xA8, u'\u2666'}, // ♦
    {0xA9, u'\u2665'}, // ♥
    {0xAA, u'\u2660'}, // ♠
    {0xAE, u'\u2192'}, // →
};

template <std::size_t N> bool find(const Picture (&table)[N], unsigned char byte, char16_t& out) {
    for (const auto& [code, character] : table) {
        if (code == byte) {
            out = character;
            return true;
        }
    }
    return false;
}

} // namespace

SymbolFont symbolFontOf(const QString& name, int charset) {
    if (name.compare(QLatin1String("Wingdings"), Qt::CaseInsensitive) == 0) {
        return SymbolFont::Wingdings;
    }
    if (name.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0) {
        return SymbolFont::Symbol;
    }
    return charset == kSymbolCharset ? SymbolFont::OtherSymbol : SymbolFont::None;
}

char16_t symbolCharacter(SymbolFont font, unsigned char byte) {
    char16_t out = byte;
    switch (font) {
    case SymbolFont::Symbol:
        find(kSymbol, byte, out);
        break;
    case SymbolFont::Wingdings:
        find(kWingdings, byte, out);
        break;
    default:
        // Unknown: Symbol's bullet, the most used, and Wingdings' others.
        if (byte == kSymbolBullet) {
            out = u'\u2022';
        } else {
            find(kWingdings, byte, out);
        }
        break;
    }
    return out;
}

} // namespace velmoa::rtf
