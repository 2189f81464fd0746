#include "media/engines/MpvLoadWatch.h"

#include <algorithm>
#include <utility>

namespace velmoa {

MpvLoadWatch::MpvLoadWatch(std::vector<std::int64_t> entries) : entries_(std::move(entries)) {}

bool MpvLoadWatch::see(const mpv_event& event) {
    switch (event.event_id) {
    case MPV_EVENT_START_FILE:
        startedId_ = static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id;
        started_ = ours(startedId_);
        return false;
    case MPV_EVENT_FILE_LOADED:
        if (started_) {
            failure_ = 0;
        }
        return started_;
    case MPV_EVENT_END_FILE:
        return seeEnd(*static_cast<const mpv_event_end_file*>(event.data));
    case MPV_EVENT_IDLE:
        // Idle after entries of ours ended: none is left to try. Idle before any did is mpv's
        // report of where it stood when the load was asked for.
        return anyEnded_;
    default:
        return false;
    }
}

bool MpvLoadWatch::ours(std::int64_t id) const {
    return std::find(entries_.begin(), entries_.end(), id) != entries_.end();
}

bool MpvLoadWatch::seeEnd(const mpv_event_end_file& end) {
    if (!ours(end.playlist_entry_id)) {
        return false;
    }
    anyEnded_ = true;
    started_ = false;
    failure_ = end.reason == MPV_END_FILE_REASON_ERROR ? end.error : MPV_ERROR_GENERIC;
    // mpv goes on to the next entry; the last one failing ends the wait.
    return end.playlist_entry_id == entries_.back();
}

} // namespace velmoa
