#pragma once

#include "controls/MediaPlayerStrip.h"

#include <QRect>
#include <cstdint>
#include <string>

namespace velmoa {

class MediaDevice;

// The media player: its button strip and the device it drives. Which buttons are enabled is either
// the EnabledButtons set (AutoEnable off) or follows the device (AutoEnable on: Play while it stands,
// Stop while it plays, neither while no device is open).
class MediaPlayer : public MediaPlayerStrip {
    Q_OBJECT
  public:
    struct Buttons {
        bool play = true;
        bool stop = true;
    };

    // device may be null: then nothing can be opened.
    MediaPlayer(QWidget* parent, const QString& name, MediaDevice* device);
    ~MediaPlayer() override;

    std::string FileName;

    bool AutoEnable() const { return autoEnable_; }
    void setAutoEnable(bool on);
    void setEnabledButtons(Buttons buttons);

    void Open();
    void Close();
    bool deviceOpen() const;
    void Play();
    void Stop();
    void Rewind();
    std::int32_t Position() const;
    void setPosition(std::int32_t position);
    std::int32_t Length() const;
    void setDisplayRect(const QRect& rect);

  signals:
    // Raised for a pressed button before its action.
    void Click(velmoa::MediaButton button);

  private:
    void press(MediaButton button);
    void updateButtons();
    MediaDevice& openDevice() const;

    MediaDevice* device_;
    bool autoEnable_ = false;
    Buttons enabled_;
};

} // namespace velmoa
