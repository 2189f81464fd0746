#pragma once

#include <cstddef>
#include <cstdint>

namespace velmoa {

// Bounds for hostile playlists: no list a person makes comes near them.
inline constexpr std::size_t kMaxPlaylistEntries = 10000;
inline constexpr std::int64_t kMaxPlaylistBytes = std::int64_t{4} << 20;

} // namespace velmoa
