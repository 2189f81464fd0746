#pragma once

#include <cstdint>
#include <mpv/client.h>
#include <vector>

namespace velmoa {

// What a load waits for among mpv's events: the first of its entries that plays loaded, or every
// one of them failed. Events from before the load (mpv's own idle report of its start, the end of
// what was loaded before) decide nothing.
class MpvLoadWatch {
  public:
    explicit MpvLoadWatch(std::vector<std::int64_t> entries);
    // Returns true once the outcome is known; then failure() is 0 on success.
    bool see(const mpv_event& event);
    // mpv's error code for the last entry that failed; 0 when one loaded.
    int failure() const { return failure_; }
    // The id of the entry that loaded; -1 before one has.
    std::int64_t loadedEntry() const { return failure_ == 0 ? startedId_ : -1; }

  private:
    bool ours(std::int64_t id) const;
    bool seeEnd(const mpv_event_end_file& end);

    std::vector<std::int64_t> entries_;
    bool started_ = false;
    std::int64_t startedId_ = -1;
    bool anyEnded_ = false;
    int failure_ = MPV_ERROR_GENERIC;
};

} // namespace velmoa
