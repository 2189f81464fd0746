#pragma once

#include <optional>
#include <string>
#include <utility>

namespace velmoa {

// The first decoding error that drawing a picture found, kept until its drawer takes it. Noted once
// and taken once: a loaded picture's error is reported once, however often it (or a copy sharing its
// data) is drawn again. Not locked: the picture data that holds it guards it.
class DrawFailureNote {
  public:
    void note(std::string message) {
        if (!noted_) {
            noted_ = true;
            pending_ = std::move(message);
        }
    }
    std::optional<std::string> take() { return std::exchange(pending_, std::nullopt); }

  private:
    bool noted_ = false;
    std::optional<std::string> pending_;
};

} // namespace velmoa
