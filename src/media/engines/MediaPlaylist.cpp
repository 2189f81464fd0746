#include "media/engines/MediaPlaylist.h"

#include "base/Failure.h"
#include "base/Paths.h"
#include "formats/playlist/M3uPlaylist.h"
#include "formats/playlist/PlaylistLimits.h"
#include "formats/playlist/XmlPlaylist.h"
#include "media/MediaDevice.h"
#include "platform/ReadOnlyFile.h"

#include <array>
#include <climits>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace velmoa {
namespace {

bool isRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Lists are text: XML ones open with their first tag, M3U ones hold no NUL byte.
bool looksLikePlaylist(std::string_view bytes, const std::string& upperExtension) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    constexpr std::size_t kSniffedBytes = 4096;
    if (upperExtension == ".M3U") {
        return bytes.substr(0, kSniffedBytes).find('\0') == std::string_view::npos;
    }
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        bytes.remove_prefix(kByteOrderMark.size());
    }
    const auto first = bytes.find_first_not_of(" \t\r\n");
    return first == std::string_view::npos || bytes[first] == '<';
}

} // namespace

bool isPlaylistExtension(const std::string& upperExtension) {
    static constexpr std::array<const char*, 5> kPlaylists = {".M3U", ".ASX", ".WAX", ".WVX", ".WPL"};
    for (const char* playlist : kPlaylists) {
        if (upperExtension == playlist) {
            return true;
        }
    }
    return false;
}

std::string absolutePath(const std::string& path) {
    if (!path.empty() && path.front() == '/') {
        return path;
    }
    std::string folder(PATH_MAX, '\0');
    if (!::getcwd(folder.data(), folder.size())) {
        return path;
    }
    folder.resize(folder.find('\0'));
    if (folder.back() != '/') {
        folder += '/';
    }
    return folder + path;
}

MediaEntries mediaEntries(const std::string& path) {
    const std::string absolute = absolutePath(path);
    const std::string upperExtension = asciiUpper(extension(absolute));
    if (!isPlaylistExtension(upperExtension)) {
        return {{absolute}, 0, false};
    }
    ReadOnlyFile file(absolute);
    if (!file.isOpen() || file.size() > kMaxPlaylistBytes) {
        throw Failure(kCannotOpenMessage);
    }
    const std::string bytes = file.readAll();
    if (!looksLikePlaylist(bytes, upperExtension)) {
        // A sound or video named as a list (an ASF saved as .wax): the player reads it as what it is.
        return {{absolute}, 0, false};
    }
    const std::string folder = folderPart(absolute);
    const std::vector<std::string> named =
        upperExtension == ".M3U" ? readM3uPlaylist(bytes, folder) : readXmlPlaylist(bytes, folder);
    MediaEntries entries{{}, 0, true};
    for (const std::string& entry : named) {
        if (isRegularFile(entry)) {
            entries.files.push_back(entry);
        } else {
            ++entries.missing;
        }
    }
    if (entries.files.empty()) {
        throw Failure(entries.missing > 0 ? kEntriesMissingMessage : kNoPlayableEntryMessage);
    }
    return entries;
}

} // namespace velmoa
