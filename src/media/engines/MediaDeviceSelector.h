#pragma once

#include "media/MediaDevice.h"

#include <string>

namespace velmoa {

// Picks the engine for each file by its extension: MIDI files go to the synthesizer, everything
// else to the general player. Only the engine of the last open is ever open.
class MediaDeviceSelector : public MediaDevice {
  public:
    MediaDeviceSelector(MediaDevice& general, MediaDevice& midi) : general_(general), midi_(midi) {}

    // Whether path goes to the synthesizer rather than the general player.
    static bool playsOnSynthesizer(const std::string& path);
    // Loads the library of the engine that will play path; callable from any thread, so that a
    // media file named at start-up finds its engine loaded by the time the window opens it.
    static void loadEngineLibraryFor(const std::string& path);

    void setDisplay(QWidget* display) override;
    void setEndNotification(std::function<void()> notify) override;
    void open(const std::string& path) override;
    void close() override { current_->close(); }
    bool isOpen() const override { return current_->isOpen(); }
    bool isPlaying() const override { return current_->isPlaying(); }
    void play() override { current_->play(); }
    void stop() override { current_->stop(); }
    void rewind() override { current_->rewind(); }
    std::int32_t position() override { return current_->position(); }
    void setPosition(std::int32_t milliseconds) override { current_->setPosition(milliseconds); }
    std::int32_t length() override { return current_->length(); }
    void setDisplayRect(const QRect& rect) override { current_->setDisplayRect(rect); }

  private:
    MediaDevice& general_;
    MediaDevice& midi_;
    MediaDevice* current_ = &general_;
};

} // namespace velmoa
