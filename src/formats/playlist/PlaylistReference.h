#pragma once

#include <string>
#include <string_view>

namespace velmoa {

// A playlist entry as a local path, or empty when it is not one the viewer may hand to its player.
// folder is the playlist's own folder as an absolute path (with or without the final "/").
// Accepted: a plain path, absolute or relative to folder ("\" as Windows writes it counts as a
// separator), and a file URL (file:///path, file://localhost/path, file:/path) whose decoded
// path is absolute. Refused: every other scheme, a file URL naming another scheme inside it
// (file:av://…, file:http://…), and control characters anywhere, before or after decoding, so that
// one entry can never become two lines or a protocol for the player.
std::string localReference(std::string_view reference, std::string_view folder);

} // namespace velmoa
