#include "media/engines/MpvHeadStart.h"

#include "base/Failure.h"
#include "media/engines/MediaPlaylist.h"
#include "media/engines/MpvLibrary.h"

#include <utility>

namespace velmoa {

MpvHeadStart::MpvHeadStart(std::string path, const MpvPlayerSettings& settings)
    : path_(std::move(path)), thread_([this, settings] {
          opened_.settings = settings;
          run();
      }) {}

MpvHeadStart::~MpvHeadStart() {
    if (thread_.joinable()) {
        thread_.join();
    }
    if (!taken_ && opened_.player) {
        MpvLibrary::get()->terminate_destroy(opened_.player);
    }
}

void MpvHeadStart::run() {
    // A playlist that cannot be read is left to the step, which reports it.
    try {
        opened_.files = mediaEntries(path_).files;
    } catch (const Failure&) {
        return;
    }
    opened_.player = makeMpvPlayer(opened_.settings);
    if (!opened_.player) {
        return;
    }
    // The events come to this thread until the step takes the player over.
    opened_.load = loadPaused(opened_.player, opened_.files, [](const mpv_event&) {});
}

std::optional<MpvHeadStart::Opened> MpvHeadStart::take(const std::string& path) {
    if (thread_.joinable()) {
        thread_.join();
    }
    if (taken_ || path != path_) {
        return std::nullopt;
    }
    taken_ = true;
    return std::move(opened_);
}

} // namespace velmoa
