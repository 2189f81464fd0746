#include "base/ReadyFlag.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace velmoa;

TEST(ReadyFlag, WatchersAreCalledOnceOnTheSettingThreadUnlessTheirWatchHasEnded) {
    ReadyFlag flag;
    std::vector<std::thread::id> calledOn;
    std::vector<std::thread::id> endedCalls;
    ReadyFlag::Watch kept = flag.watch([&] { calledOn.push_back(std::this_thread::get_id()); });
    ReadyFlag::Watch ended = flag.watch([&] { endedCalls.push_back(std::this_thread::get_id()); });
    ended.reset();
    EXPECT_FALSE(flag.isSet());

    std::thread::id setter;
    std::thread([&setter, copy = flag]() mutable {
        setter = std::this_thread::get_id();
        copy.set();
        copy.set(); // a second set calls nobody again
    }).join();
    EXPECT_TRUE(flag.isSet());
    EXPECT_EQ(calledOn, std::vector<std::thread::id>{setter});
    EXPECT_TRUE(endedCalls.empty());

    // Watching a flag already set calls at once, here.
    int late = 0;
    const ReadyFlag::Watch afterwards = flag.watch([&] { ++late; });
    EXPECT_EQ(late, 1);
}

TEST(ReadyFlag, AWatchMovedAwayOrReplacedEndsWithItsLastOwner) {
    ReadyFlag flag;
    int calls = 0;
    ReadyFlag::Watch first = flag.watch([&] { ++calls; });
    ReadyFlag::Watch moved = std::move(first);
    first.reset(); // NOLINT(bugprone-use-after-move): the moved-from watch owns nothing
    ReadyFlag::Watch replaced = flag.watch([&] { calls += 100; });
    replaced = flag.watch([&] { calls += 10; }); // the watcher it held ends
    flag.set();
    EXPECT_EQ(calls, 11);
}
