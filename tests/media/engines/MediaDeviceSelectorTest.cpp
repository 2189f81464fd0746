#include "media/engines/MediaDeviceSelector.h"
#include "media/FakeMediaDevice.h"

#include <gtest/gtest.h>

using namespace velmoa;
using namespace velmoa::testing;

TEST(MediaDeviceSelector, MidiFilesGoToTheSynthesizerAndTheOtherEngineCloses) {
    struct Row {
        const char* path;
        bool midi;
    };
    const Row rows[] = {{"/a/b.mid", true},  {"/a/b.WAV", false}, {"/a/b.Midi", true},    {"/a/b.rmi", true},
                        {"/a/b.mpg", false}, {"/a.mid/b", false}, {"/a/b.mid.mp3", false}};
    FakeMediaDevice general;
    FakeMediaDevice midi;
    MediaDeviceSelector selector(general, midi);
    for (const Row& row : rows) {
        const bool wasMidi = midi.opened;
        general.calls.clear();
        midi.calls.clear();
        selector.open(row.path);
        FakeMediaDevice& chosen = row.midi ? midi : general;
        FakeMediaDevice& other = row.midi ? general : midi;
        EXPECT_TRUE(chosen.opened) << row.path;
        EXPECT_FALSE(other.opened) << row.path;
        EXPECT_EQ(chosen.calls.last(), QStringLiteral("open %1").arg(row.path));
        // The previous file's engine closes before the new one opens.
        EXPECT_EQ((wasMidi ? midi : general).calls.first(), QStringLiteral("close")) << row.path;
        selector.play();
        EXPECT_TRUE(chosen.playing) << row.path;
    }
}
