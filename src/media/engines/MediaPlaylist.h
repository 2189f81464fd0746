#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace velmoa {

// What the player is given for a file opened in the media view: the file itself, or for a
// playlist (.M3U, .ASX, .WAX, .WVX, .WPL) the local files it names that exist, in order. Paths are
// absolute, so that however the file was named (relative, ./, ../) entries resolve against the
// playlist's own folder and no name can be taken for a protocol by the player.
struct MediaEntries {
    std::vector<std::string> files;
    // Playlist entries left out because no regular file stands at their path.
    std::size_t missing = 0;
    bool playlist = false;
};

bool isPlaylistExtension(const std::string& upperExtension);

// path made absolute against the current folder.
std::string absolutePath(const std::string& path);

// Reads a playlist through its reader; throws Failure when the list cannot be read or names no
// file that exists.
MediaEntries mediaEntries(const std::string& path);

} // namespace velmoa
