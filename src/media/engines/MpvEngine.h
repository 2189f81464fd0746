#pragma once

#include "media/MediaDevice.h"

#include <QObject>
#include <atomic>
#include <cstdint>
#include <set>

struct mpv_handle;
struct mpv_event;

namespace velmoa {

// Sound, video and playlists through libmpv. Video is drawn into a native child of the display
// widget, whose geometry is the display rectangle. Values the timer reads (position, end) are kept
// current from mpv's property events, so reading them never waits for mpv.
class MpvEngine : public QObject, public MediaDevice {
    Q_OBJECT
  public:
    enum class Outputs {
        Desktop, // the desktop's sound server or ALSA, silent with true timing where there is none
        Null,    // no sound, no picture, as fast as decoding goes (tests)
    };
    explicit MpvEngine(Outputs outputs = Outputs::Desktop);
    ~MpvEngine() override;

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
    void ensureHandle();
    void handle(const mpv_event& event);
    void seekTo(double seconds);
    void command(std::initializer_list<const char*> words);
    void readLoadedFile();
    std::int32_t lengthMs() const;

    Outputs outputs_;
    mpv_handle* mpv_ = nullptr;
    QWidget* display_ = nullptr;
    QWidget* surface_ = nullptr;
    std::function<void()> ended_;
    std::atomic<bool> pumpQueued_{false};

    bool open_ = false;
    bool playing_ = false;
    bool hasVideo_ = false;
    // Observed state; while a seek is under way the position stays where the seek put it.
    bool seeking_ = false;
    bool eof_ = false;
    bool heldAtStart_ = false; // opened, neither played nor moved yet
    double timePos_ = 0;
    double duration_ = 0;
};

} // namespace velmoa
