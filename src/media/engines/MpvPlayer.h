#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct mpv_handle;
struct mpv_event;

namespace velmoa {

// How a player is made. Everything but the video window is decided here; the window's id is
// given later, once the window exists.
struct MpvPlayerSettings {
    bool null = false;      // no sound, no picture, as fast as decoding goes (tests)
    bool embed = false;     // video goes into an X11 window of ours (given by its id later)
    bool videoHeld = false; // no video track is chosen until the player is given its window
};

// A player made with the viewer's options and started; nullptr when the library is missing or
// mpv refuses to start. Callable from any thread.
mpv_handle* makeMpvPlayer(const MpvPlayerSettings& settings);

// The outcome of handing files to a player.
struct MpvLoad {
    std::vector<std::int64_t> entryIds; // mpv's ids for the files, in order
    std::int64_t loadedEntry = -1;      // the entry that loaded
    const char* failure = nullptr;      // the window's words for the failure; null when one loaded
};

// Hands the files to the player, paused, and waits until the first that plays is loaded or every
// one has failed; after a failure the player is stopped. Every event mpv sends meanwhile is passed to
// seen. Callable from any thread that owns the player's events.
MpvLoad loadPaused(mpv_handle* player, const std::vector<std::string>& files,
                   const std::function<void(const mpv_event&)>& seen);

} // namespace velmoa
