#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmoa {

// The local files an XML playlist names, in order: ASX (and its WAX, WVX kin: <entry><ref href>) and
// WPL (<media src>). Tags and attributes match in any case; relative names are taken from the
// playlist's folder (backslashes, as Windows writes them, count as separators there). Entries on
// the network or of other schemes are left out: the viewer plays local files only.
std::vector<std::string> readXmlPlaylist(std::string_view bytes, std::string_view folder);

} // namespace velmoa
