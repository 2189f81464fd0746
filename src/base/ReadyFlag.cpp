#include "base/ReadyFlag.h"

namespace velmoa {

ReadyFlag::ReadyFlag() : state_(std::make_shared<State>()) {}

void ReadyFlag::set() {
    std::lock_guard lock(state_->mutex);
    if (state_->set) {
        return;
    }
    state_->set = true;
    // Called under the lock, so that a watch ending on another thread waits for its call to finish.
    for (const auto& [id, onReady] : state_->watchers) {
        onReady();
    }
    state_->watchers.clear();
}

bool ReadyFlag::isSet() const {
    std::lock_guard lock(state_->mutex);
    return state_->set;
}

ReadyFlag::Watch ReadyFlag::watch(std::function<void()> onReady) const {
    {
        std::lock_guard lock(state_->mutex);
        if (!state_->set) {
            const int id = ++state_->lastId;
            state_->watchers.emplace(id, std::move(onReady));
            return Watch(state_, id);
        }
    }
    onReady();
    return {};
}

ReadyFlag::Watch& ReadyFlag::Watch::operator=(Watch&& other) noexcept {
    if (this != &other) {
        reset();
        state_ = std::move(other.state_);
        id_ = other.id_;
    }
    return *this;
}

ReadyFlag::Watch::~Watch() {
    reset();
}

void ReadyFlag::Watch::reset() {
    if (state_) {
        std::lock_guard lock(state_->mutex);
        state_->watchers.erase(id_);
    }
    state_.reset();
}

} // namespace velmoa
