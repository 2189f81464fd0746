#include "formats/playlist/M3uPlaylist.h"

#include "formats/playlist/PlaylistLimits.h"
#include "formats/playlist/PlaylistReference.h"

namespace velmoa {

std::vector<std::string> readM3uPlaylist(std::string_view bytes, std::string_view folder) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        bytes.remove_prefix(kByteOrderMark.size());
    }
    std::vector<std::string> entries;
    while (!bytes.empty() && entries.size() < kMaxPlaylistEntries) {
        const auto end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        std::string path = localReference(line, folder);
        if (!path.empty()) {
            entries.push_back(std::move(path));
        }
    }
    return entries;
}

} // namespace velmoa
