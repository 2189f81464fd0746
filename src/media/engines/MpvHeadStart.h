#pragma once

#include "media/engines/MpvPlayer.h"

#include <optional>
#include <string>
#include <thread>
#include <vector>

struct mpv_handle;

namespace velmoa {

// A media file named at start-up, opened ahead of the step that opens it: on a thread of its own,
// while the window is built, mpv's library loads, a player is made and the file is loaded into it
// paused, its sound output ready and its video track not yet chosen (the window it goes into does
// not exist yet). Nothing is heard or shown: the step takes the player over and goes on as if it had
// opened the file itself. A file that did not load is opened again by the step, which reports its
// failure as ever.
class MpvHeadStart {
  public:
    // What the thread made of the file.
    struct Opened {
        mpv_handle* player = nullptr; // null when no player could be made
        MpvPlayerSettings settings;
        std::vector<std::string> files; // what was handed to the player (a playlist's entries)
        MpvLoad load;                   // failure set when the file did not load
    };

    MpvHeadStart(std::string path, const MpvPlayerSettings& settings);
    // Waits for the thread; a player never taken is ended.
    ~MpvHeadStart();
    MpvHeadStart(const MpvHeadStart&) = delete;
    MpvHeadStart& operator=(const MpvHeadStart&) = delete;

    // Waits for the thread and hands over what it made, once: nothing when path is not the file it
    // opened.
    std::optional<Opened> take(const std::string& path);

  private:
    void run();

    const std::string path_;
    Opened opened_;
    bool taken_ = false;
    std::jthread thread_; // last: it starts once the members it writes exist
};

} // namespace velmoa
