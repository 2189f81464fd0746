#pragma once

#include "media/MediaDevice.h"
#include "media/engines/HeardPosition.h"
#include "media/engines/MpvPlayer.h"

#include <QObject>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct mpv_handle;
struct mpv_event;

namespace velmoa {

class MpvHeadStart;

// Sound, video and playlists through libmpv. Video is drawn into a native child of the display
// widget, whose geometry is the display rectangle; the display becomes a window of its own, which
// cuts the video at its edges. Values the timer reads (position, end) are kept
// current from mpv's property events, so reading them never waits for mpv.
// The position is the one heard: the end of the media comes once the sound mpv has buffered has
// played out, not when mpv has read the last of it. A playlist plays its entries in turn: position
// and length are those of the entry playing, and only the last entry's end is the end.
class MpvEngine : public QObject, public MediaDevice {
    Q_OBJECT
  public:
    enum class Outputs {
        Desktop, // the desktop's sound server or ALSA, silent with true timing where there is none
        Null,    // no sound, no picture, as fast as decoding goes (tests)
    };
    explicit MpvEngine(Outputs outputs = Outputs::Desktop);
    ~MpvEngine() override;

    // Opens path ahead, paused, on a thread of its own (see MpvHeadStart): a file named at start-up
    // is ready when its step opens it.
    void prepareOpening(const std::string& path);

    void setDisplay(QWidget* display) override;
    void setEndNotification(std::function<void()> notify) override { ended_ = std::move(notify); }
    void open(const std::string& path) override;
    void close() override;
    bool isOpen() const override { return open_; }
    bool isPlaying() const override { return open_ && playing_; }
    void play() override;
    void stop() override;
    void rewind() override;
    std::int32_t position() override;
    void setPosition(std::int32_t milliseconds) override;
    std::int32_t length() override;
    void setDisplayRect(const QRect& rect) override;

    // The native widget the video is drawn into (null before setDisplay).
    QWidget* videoSurface() const { return surface_; }
    // Gives every event mpv has queued its effect now (the UI thread does this on mpv's wake-up).
    void pump();

  private:
    MpvPlayerSettings playerSettings(bool embed) const;
    // Whether video can go into a window of ours, and does, into the display given.
    bool onX11() const;
    bool embedsVideo() const;
    void ensureHandle();
    // Gives the player its window and has its events come to this object.
    void takeEvents();
    // Takes over the player opened ahead; false when the step must open path itself.
    bool openMadeAhead(const std::string& path);
    // Hands the entries to mpv, paused, and waits until the first that plays is loaded; throws.
    void load(const std::vector<std::string>& files);
    // The device just opened, standing at its start.
    void standAtStart();
    void handle(const mpv_event& event);
    void handleProperty(const mpv_event& event);
    void entryStarted(std::int64_t entryId);
    void readLoadedEntry();
    void reachedEnd();
    void endHeard();
    void seekTo(double seconds);
    void command(std::initializer_list<const char*> words);
    std::int32_t lengthMs() const;
    double now() const;

    Outputs outputs_;
    std::unique_ptr<MpvHeadStart> headStart_;
    mpv_handle* mpv_ = nullptr;
    QWidget* display_ = nullptr;
    QWidget* surface_ = nullptr;
    std::function<void()> ended_;
    std::atomic<bool> pumpQueued_{false};

    // What was opened: the file, or a playlist's files, and mpv's ids for them.
    std::vector<std::string> files_;
    std::vector<std::int64_t> entryIds_;
    std::size_t entry_ = 0; // the entry playing

    bool open_ = false;
    bool playing_ = false;
    bool hasVideo_ = false;
    // Observed state; while a seek is under way the position stays where the seek put it.
    bool seeking_ = false;
    bool switching_ = false;   // between one entry's start and its load
    bool eof_ = false;         // mpv has read the last entry to its end
    bool endHeard_ = false;    // ...and what it buffered has been heard
    bool unloaded_ = false;    // mpv dropped the list (its last entries failed)
    bool heldAtStart_ = false; // opened, neither played nor moved yet
    HeardPosition heard_;
    double duration_ = 0;
    // Runs out when the sound buffered at the end has played.
    QTimer endHeardTimer_;
};

} // namespace velmoa
