#include "media/engines/MediaDeviceSelector.h"

#include "base/Paths.h"
#include "media/engines/FluidSynthLibrary.h"
#include "media/engines/MpvLibrary.h"

namespace velmoa {

void MediaDeviceSelector::setDisplay(QWidget* display) {
    general_.setDisplay(display);
    midi_.setDisplay(display);
}

void MediaDeviceSelector::setEndNotification(std::function<void()> notify) {
    general_.setEndNotification(notify);
    midi_.setEndNotification(std::move(notify));
}

bool MediaDeviceSelector::playsOnSynthesizer(const std::string& path) {
    const std::string ext = asciiUpper(extension(path));
    return ext == ".MID" || ext == ".MIDI" || ext == ".RMI";
}

void MediaDeviceSelector::loadEngineLibraryFor(const std::string& path) {
    if (playsOnSynthesizer(path)) {
        FluidSynthLibrary::get();
    } else {
        MpvLibrary::get();
    }
}

void MediaDeviceSelector::open(const std::string& path) {
    MediaDevice& chosen = playsOnSynthesizer(path) ? midi_ : general_;
    // The device of the previous file closes first, whichever engine it was.
    current_->close();
    current_ = &chosen;
    current_->open(path);
}

} // namespace velmoa
