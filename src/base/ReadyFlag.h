#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace velmoa {

// Tells other threads that some work has finished: set once by the thread that did it, watched by
// those waiting for it. Copies share the one flag.
class ReadyFlag {
    struct State;

  public:
    // Keeps a watcher registered while it lives; once it is gone (or reset) the watcher is neither
    // running nor called again.
    class Watch {
      public:
        Watch() = default;
        Watch(Watch&& other) noexcept = default;
        Watch& operator=(Watch&& other) noexcept;
        ~Watch();
        void reset();

      private:
        friend class ReadyFlag;
        Watch(std::shared_ptr<State> state, int id) : state_(std::move(state)), id_(id) {}
        std::shared_ptr<State> state_;
        int id_ = 0;
    };

    ReadyFlag();

    // Sets the flag and calls the watchers, on this thread. Watchers run under the flag's lock:
    // they must be short and must not touch the flag.
    void set();
    bool isSet() const;
    // Calls onReady once the flag is set: on the thread that sets it, or at once, here, when it
    // already is.
    [[nodiscard]] Watch watch(std::function<void()> onReady) const;

  private:
    struct State {
        std::mutex mutex;
        bool set = false;
        int lastId = 0;
        std::map<int, std::function<void()>> watchers;
    };
    std::shared_ptr<State> state_;
};

} // namespace velmoa
