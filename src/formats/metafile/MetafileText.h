#pragma once

#include <QString>
#include <string_view>

namespace velmoa {

// The text of an 8-bit text record in the code page of the font's character set (204
// Cyrillic, 238 Central European, 128 Shift-JIS, …); western sets, unknown ones and bytes that
// the code page does not define are read as Windows-1252, the single-byte set of western files.
QString decodeMetafileText(std::string_view bytes, int charset);

// Text in the Symbol font: its private-use codes (U+F020-U+F0FF) and the plain codes below
// U+0100 that stand for them become the characters the font shows there (a Greek alpha, an
// arrow, …), so that any installed font can draw them.
bool isSymbolFace(const QString& face);
QString mapSymbolText(const QString& text);

// The installed family that stands in for a Windows face name.
QString metafileFontFamily(const QString& face);

} // namespace velmoa
