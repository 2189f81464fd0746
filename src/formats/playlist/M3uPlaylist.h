#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmoa {

// The local files an M3U playlist names, in order: one entry a line, "#" lines (EXTM3U, EXTINF …)
// and blank lines skipped, LF or CRLF line ends, a UTF-8 byte-order mark ignored. Names are kept as
// the bytes the file holds (a list written on a Japanese system names its files in Shift-JIS, as
// the file system does). Entries resolve as localReference() says; others are left out.
std::vector<std::string> readM3uPlaylist(std::string_view bytes, std::string_view folder);

} // namespace velmoa
