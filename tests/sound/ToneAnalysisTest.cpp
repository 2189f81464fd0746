#include "sound/ToneAnalysis.h"
#include "sound/Tones.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <optional>
#include <string>

using namespace velmoa::testing;

namespace {

constexpr std::array<double, 3> kFrequencies{1000, 440, 2000};
// A window straddling a change of tone may count for neither side.
constexpr double kSlack = 0.03;

} // namespace

TEST(Hearing, MeasuresHowLongEachToneIsHeardAndTheSilenceAround) {
    struct Row {
        const char* label;
        std::vector<Tone> tones;
        int rate;
        std::array<double, 3> heard;
        std::optional<double> firstSound;
        double trailingSilence;
    };
    const Row rows[] = {
        {"three tones", {{1000, 0.5}, {440, 2}, {2000, 0.5}}, 44100, {0.5, 2, 0.5}, 0, 0},
        {"three tones at a low rate", {{1000, 0.5}, {440, 2}, {2000, 0.5}}, 8000, {0.5, 2, 0.5}, 0, 0},
        {"the end cut off, then silence", {{1000, 0.5}, {2000, 0.2}, {0, 1}}, 48000, {0.5, 0, 0.2}, 0, 1},
        {"silence first", {{0, 0.3}, {440, 1}, {0, 0.5}}, 44100, {0, 1, 0}, 0.3, 0.5},
        {"another frequency is heard as sound, not as a chosen tone", {{3000, 0.5}}, 44100, {0, 0, 0}, 0, 0},
        {"only silence", {{0, 1}}, 44100, {0, 0, 0}, std::nullopt, 1},
        {"nothing recorded", {}, 44100, {0, 0, 0}, std::nullopt, 0},
    };
    for (const Row& row : rows) {
        const std::vector<std::int16_t> samples = toneSamples(row.tones, row.rate);
        const Hearing hearing(samples, row.rate, kFrequencies);
        for (std::size_t i = 0; i < kFrequencies.size(); ++i) {
            EXPECT_NEAR(hearing.heardSeconds(i), row.heard[i], kSlack)
                << row.label << ": " << kFrequencies[i];
        }
        ASSERT_EQ(hearing.firstSoundSeconds().has_value(), row.firstSound.has_value()) << row.label;
        if (row.firstSound) {
            EXPECT_NEAR(*hearing.firstSoundSeconds(), *row.firstSound, kSlack) << row.label;
        }
        EXPECT_NEAR(hearing.trailingSilenceSeconds(), row.trailingSilence, kSlack) << row.label;
    }
}

TEST(Hearing, TheLastToneEndsWhereItStops) {
    const std::vector<Tone> tones{{1000, 0.5}, {2000, 0.25}, {0, 1}};
    const std::vector<std::int16_t> samples = toneSamples(tones, 44100);
    const Hearing hearing(samples, 44100, kFrequencies);
    ASSERT_TRUE(hearing.lastHeardEndSeconds(2).has_value());
    EXPECT_NEAR(*hearing.lastHeardEndSeconds(2), 0.75, kSlack);
    EXPECT_NEAR(*hearing.lastHeardEndSeconds(0), 0.5, kSlack);
    EXPECT_FALSE(hearing.lastHeardEndSeconds(1).has_value());
}

TEST(Hearing, NeitherOfTwoEqualTonesNorAWhisperStandsOut) {
    const int rate = 44100;
    const std::vector<Tone> low{{1000, 1}};
    const std::vector<Tone> high{{2000, 1}};
    std::vector<std::int16_t> mixed = toneSamples(low, rate);
    const std::vector<std::int16_t> other = toneSamples(high, rate);
    std::vector<std::int16_t> whisper(mixed.size());
    for (std::size_t i = 0; i < mixed.size(); ++i) {
        mixed[i] = static_cast<std::int16_t>(mixed[i] / 2 + other[i] / 2);
        whisper[i] = static_cast<std::int16_t>(other[i] / 1000);
    }
    const Hearing both(mixed, rate, kFrequencies);
    EXPECT_EQ(both.heardSeconds(0), 0);
    EXPECT_EQ(both.heardSeconds(2), 0);
    EXPECT_EQ(both.firstSoundSeconds(), 0);
    const Hearing quiet(whisper, rate, kFrequencies);
    EXPECT_EQ(quiet.heardSeconds(2), 0);
    EXPECT_FALSE(quiet.firstSoundSeconds().has_value());
}

TEST(ToneShare, IsWholeForThePureToneAndNothingFarFromIt) {
    struct Row {
        double played;
        double asked;
        double low;
        double high;
    };
    const Row rows[] = {
        {440, 440, 0.95, 1.05},
        {2000, 2000, 0.95, 1.05},
        {440, 2000, 0, 0.02},
        {2000, 1000, 0, 0.02},
    };
    for (const Row& row : rows) {
        const std::vector<Tone> tone{{row.played, Hearing::kWindowSeconds}};
        const std::vector<std::int16_t> samples = toneSamples(tone, 44100);
        const double share = toneShare(samples, 44100, row.asked);
        EXPECT_GE(share, row.low) << row.played << " asked " << row.asked;
        EXPECT_LE(share, row.high) << row.played << " asked " << row.asked;
    }
    EXPECT_EQ(toneShare({}, 44100, 440), 0);
}
