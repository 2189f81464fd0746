#pragma once

#include <QString>

// The symbol fonts whose bytes stand for pictures rather than letters, and the characters their
// common bullets look like.
namespace velmoa::rtf {

enum class SymbolFont { None, Symbol, Wingdings, OtherSymbol };

// By the font's name, else by its character set (2: symbol).
SymbolFont symbolFontOf(const QString& name, int charset);

// A byte of the font as the character it looks like; bytes without a known picture keep their
// Latin meaning. A font that is no symbol font maps as an unknown symbol font does (writers give
// the private codes U+F020..U+F0FF of symbol fonts without saying which).
char16_t symbolCharacter(SymbolFont font, unsigned char byte);

// U+F020..U+F0FF: how a symbol font's bytes are written as Unicode.
constexpr char16_t kSymbolPrivateFirst = 0xF020;
constexpr char16_t kSymbolPrivateLast = 0xF0FF;
constexpr bool isSymbolPrivate(int code) {
    return code >= kSymbolPrivateFirst && code <= kSymbolPrivateLast;
}

} // namespace velmoa::rtf
