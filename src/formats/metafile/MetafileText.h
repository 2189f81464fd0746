#pragma once

#include <QString>
#include <string_view>
#include <vector>

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

// A run of text drawn as one piece at its pen position, then the pen moves by its advance.
struct TextCluster {
    qsizetype start = 0;
    qsizetype length = 0;
    double advanceX = 0; // in the record's units; advanceY counts upwards
    double advanceY = 0;
};
// The pieces of text placed by per-character advances (dx, and dy when given), one per UTF-16 code
// unit. Each character stands alone, except that characters of no advance join the piece before
// them when it has one: a writer that formed a ligature ("fi") or put a mark on a letter gives the
// cluster's whole advance to its first character and none to the rest, so drawn one by one they
// would pile up on the next letter.
std::vector<TextCluster> positionedClusters(const QString& text, const std::vector<double>& dx,
                                            const std::vector<double>& dy);

} // namespace velmoa
