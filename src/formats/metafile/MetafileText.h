#pragma once

#include <QString>
#include <string_view>

namespace velmoa {

// The text of a WMF text record in the font's character set: Shift-JIS (128) as CP932, the
// other East Asian sets (129, 134, 136) by their code pages, everything else (and bytes that
// do not decode) as Windows-1252, the single-byte set of western files.
QString decodeMetafileText(std::string_view bytes, int charset);

// The installed family that stands in for a Windows face name.
QString metafileFontFamily(const QString& face);

} // namespace velmoa
