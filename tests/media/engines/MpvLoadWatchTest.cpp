// When a load's wait for mpv ends, and with what outcome, over the orders in which mpv's events
// arrive: its own idle report may come before the load's first event, entries fail one by one.
#include "media/engines/MpvLoadWatch.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace velmoa;

namespace {

constexpr std::int64_t kFirst = 7;
constexpr std::int64_t kSecond = 8;
constexpr std::int64_t kEarlier = 3; // an entry of a load before this one

struct Step {
    mpv_event_id id;
    std::int64_t entry = 0;
    mpv_end_file_reason reason = MPV_END_FILE_REASON_EOF;
    int error = 0;
};

struct WatchRow {
    const char* label;
    std::vector<Step> steps;
    std::optional<std::size_t> decidedAt; // the step whose event ends the wait; none: still waiting
    int failure;                          // once decided
    std::int64_t loaded = -1;             // the entry that loaded, once decided
};

// Feeds the steps one by one; returns the index of the one that ended the wait.
std::optional<std::size_t> feed(MpvLoadWatch& watch, const std::vector<Step>& steps) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& step = steps[i];
        mpv_event_start_file start{step.entry};
        mpv_event_end_file end{};
        end.reason = step.reason;
        end.error = step.error;
        end.playlist_entry_id = step.entry;
        mpv_event event{};
        event.event_id = step.id;
        event.data = step.id == MPV_EVENT_START_FILE ? static_cast<void*>(&start)
                     : step.id == MPV_EVENT_END_FILE ? static_cast<void*>(&end)
                                                     : nullptr;
        if (watch.see(event)) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace

TEST(MpvLoadWatch, EndsOnTheFirstEntryLoadedOrOnceEveryEntryFailed) {
    const Step idle{MPV_EVENT_IDLE};
    const Step startFirst{MPV_EVENT_START_FILE, kFirst};
    const Step startSecond{MPV_EVENT_START_FILE, kSecond};
    const Step loaded{MPV_EVENT_FILE_LOADED};
    const Step firstFailed{MPV_EVENT_END_FILE, kFirst, MPV_END_FILE_REASON_ERROR, MPV_ERROR_LOADING_FAILED};
    const Step secondFailed{MPV_EVENT_END_FILE, kSecond, MPV_END_FILE_REASON_ERROR, MPV_ERROR_UNKNOWN_FORMAT};
    const WatchRow rows[] = {
        {"loaded", {startFirst, loaded}, 1, 0, kFirst},
        {"mpv's idle report of its start comes first", {idle, startFirst, loaded}, 2, 0, kFirst},
        {"the end of an earlier load, then idle",
         {{MPV_EVENT_END_FILE, kEarlier}, idle, startFirst, loaded},
         3,
         0,
         kFirst},
        {"an earlier load's entry loading is not ours", {{MPV_EVENT_START_FILE, kEarlier}, loaded}, {}, 0},
        {"first failed, second loaded", {startFirst, firstFailed, startSecond, loaded}, 3, 0, kSecond},
        {"first failed: still waiting for the second", {startFirst, firstFailed}, {}, 0},
        {"first failed, then idle: none is left",
         {startFirst, firstFailed, idle},
         2,
         MPV_ERROR_LOADING_FAILED},
        {"both failed: the last one's error",
         {startFirst, firstFailed, startSecond, secondFailed},
         3,
         MPV_ERROR_UNKNOWN_FORMAT},
        {"the last entry ended without an error",
         {startSecond, {MPV_EVENT_END_FILE, kSecond}},
         1,
         MPV_ERROR_GENERIC},
    };
    for (const WatchRow& row : rows) {
        MpvLoadWatch watch({kFirst, kSecond});
        const std::optional<std::size_t> decidedAt = feed(watch, row.steps);
        EXPECT_EQ(decidedAt, row.decidedAt) << row.label;
        if (decidedAt) {
            EXPECT_EQ(watch.failure(), row.failure) << row.label;
            EXPECT_EQ(watch.loadedEntry(), row.loaded) << row.label;
        }
    }
}
