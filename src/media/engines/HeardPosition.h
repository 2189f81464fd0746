#pragma once

namespace velmoa {

// Where playback stands as the listener hears it. The player reports the position of the sound
// leaving its output, but at the end of the media it jumps to the end at once, while what it has
// buffered is still to be heard. Between reports the heard position runs on in real time.
// Times are seconds; now is any steady clock.
class HeardPosition {
  public:
    // A jump report: the player moved (open, seek), and nothing of before is still to be heard.
    void reset(double position, double now);
    // A report of the player while playing. The report of the end of the media (position at the
    // duration, far ahead of what was heard) is not taken: the buffered sound has yet to play.
    void report(double position, double now, double duration);
    // Where the sound is heard at now while it plays on.
    double at(double now) const;
    // When the last report came (or the last jump).
    double reportedAt() const { return reportedAt_; }
    // How much of the media is still to be heard once the player has read all of it: the rest of
    // the duration, but never more than an output can hold.
    double leftToHear(double now, double duration) const;

    // More than this ahead of the heard position, a report of the end is the player's jump.
    static constexpr double kJumpTolerance = 0.1;
    // The most sound any output buffers.
    static constexpr double kMaxBuffered = 2.0;

  private:
    double position_ = 0;
    double reportedAt_ = 0;
};

} // namespace velmoa
