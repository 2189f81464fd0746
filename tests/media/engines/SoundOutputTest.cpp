#include "media/engines/SoundOutput.h"
#include "media/engines/HeardPosition.h"

#include <gtest/gtest.h>

using namespace velmoa;

TEST(SoundOutput, PicksTheOutputThatRunsWithoutTryingTheOthers) {
    struct Row {
        SoundEnvironment environment;
        const char* mpv;
        std::vector<std::string> synthesizer;
    };
    const Row rows[] = {
        {{true, true, true}, "pipewire,pulse", {"pulseaudio", "alsa"}},
        {{false, true, false}, "pulse", {"pulseaudio"}},
        {{false, true, true}, "pulse", {"pulseaudio", "alsa"}},
        {{false, false, true}, "alsa,null", {"alsa"}},
        {{false, false, false}, "null", {}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(mpvSoundOutput(row.environment), row.mpv);
        EXPECT_EQ(fluidSynthDrivers(row.environment), row.synthesizer) << row.mpv;
    }
}

TEST(HeardPosition, RunsOnBetweenReportsAndLeavesTheBufferedEndToBeHeard) {
    HeardPosition heard;
    heard.reset(0, 100.0);
    EXPECT_DOUBLE_EQ(heard.at(100.5), 0.5);
    heard.report(2.6, 103.0, 3.0);
    EXPECT_NEAR(heard.at(103.05), 2.65, 1e-9);
    // The player's jump to the end is no report of what is heard: 0.35 s are still to come.
    heard.report(3.0, 103.05, 3.0);
    EXPECT_NEAR(heard.at(103.05), 2.65, 1e-9);
    EXPECT_NEAR(heard.leftToHear(103.05, 3.0), 0.35, 1e-9);
    // A report of the end that is heard by now is taken.
    heard.report(3.0, 103.38, 3.0);
    EXPECT_DOUBLE_EQ(heard.at(103.38), 3.0);
    EXPECT_DOUBLE_EQ(heard.leftToHear(103.38, 3.0), 0.0);
    // Never more than an output holds, and nothing for media of unknown length.
    heard.reset(0, 200.0);
    EXPECT_DOUBLE_EQ(heard.leftToHear(200.0, 60.0), HeardPosition::kMaxBuffered);
    EXPECT_DOUBLE_EQ(heard.leftToHear(200.0, 0.0), 0.0);
    // Reports before the end, even ahead of the clock (the output drained faster), are taken.
    heard.report(10.0, 200.1, 60.0);
    EXPECT_DOUBLE_EQ(heard.at(200.1), 10.0);
}
