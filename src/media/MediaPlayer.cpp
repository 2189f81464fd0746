#include "media/MediaPlayer.h"

#include "base/Failure.h"
#include "media/MediaDevice.h"
#include "platform/FailureReporter.h"

namespace velmoa {

MediaPlayer::MediaPlayer(QWidget* parent, const QString& name, MediaDevice* device)
    : MediaPlayerStrip(parent, name), device_(device) {
    if (device_) {
        device_->setEndNotification([this] { updateButtons(); });
    }
    connect(this, &MediaPlayerStrip::buttonPressed, this,
            [this](MediaButton button) { runReported([this, button] { press(button); }); });
}

MediaPlayer::~MediaPlayer() {
    // The device outlives the player (it belongs to the program): it must not call back into it.
    if (device_) {
        device_->setEndNotification({});
    }
}

void MediaPlayer::press(MediaButton button) {
    emit Click(button);
    if (button == MediaButton::Play) {
        Play();
    } else {
        Stop();
    }
}

void MediaPlayer::setAutoEnable(bool on) {
    autoEnable_ = on;
    updateButtons();
}

void MediaPlayer::setEnabledButtons(Buttons buttons) {
    enabled_ = buttons;
    updateButtons();
}

void MediaPlayer::updateButtons() {
    Buttons shown = enabled_;
    if (autoEnable_) {
        const bool open = deviceOpen();
        const bool playing = open && device_->isPlaying();
        shown = {open && !playing, playing};
    }
    setButtonEnabled(MediaButton::Play, shown.play);
    setButtonEnabled(MediaButton::Stop, shown.stop);
}

MediaDevice& MediaPlayer::openDevice() const {
    if (!deviceOpen()) {
        throw Failure(kNoDeviceMessage);
    }
    return *device_;
}

bool MediaPlayer::deviceOpen() const {
    return device_ && device_->isOpen();
}

void MediaPlayer::Open() {
    if (!device_) {
        throw Failure(kUnknownErrorMessage);
    }
    device_->open(FileName);
    updateButtons();
}

void MediaPlayer::Close() {
    if (device_) {
        device_->close();
    }
}

void MediaPlayer::Play() {
    openDevice().play();
    updateButtons();
}

void MediaPlayer::Stop() {
    openDevice().stop();
    updateButtons();
}

void MediaPlayer::Rewind() {
    openDevice().rewind();
}

std::int32_t MediaPlayer::Position() const {
    return deviceOpen() ? device_->position() : 0;
}

void MediaPlayer::setPosition(std::int32_t position) {
    openDevice().setPosition(position);
}

std::int32_t MediaPlayer::Length() const {
    return openDevice().length();
}

void MediaPlayer::setDisplayRect(const QRect& rect) {
    if (deviceOpen()) {
        device_->setDisplayRect(rect);
    }
}

} // namespace velmoa
