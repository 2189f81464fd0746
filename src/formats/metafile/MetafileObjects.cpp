#include "formats/metafile/MetafileObjects.h"

#include <algorithm>
#include <functional>

namespace velmoa {
namespace {

constexpr std::size_t kMaxObjects = 65536;

} // namespace

void MetafileObjectTable::resize(std::size_t size) {
    objects_.assign(std::min(size, kMaxObjects), {});
    free_.resize(objects_.size());
    // Ascending order is already a min-heap.
    for (std::size_t i = 0; i < free_.size(); ++i) {
        free_[i] = i;
    }
}

bool MetafileObjectTable::add(MetafileObject object) {
    while (!free_.empty()) {
        std::pop_heap(free_.begin(), free_.end(), std::greater<>());
        const std::size_t index = free_.back();
        free_.pop_back();
        if (std::holds_alternative<std::monostate>(objects_[index])) {
            objects_[index] = std::move(object);
            return true;
        }
    }
    return false;
}

bool MetafileObjectTable::set(std::size_t index, MetafileObject object) {
    if (index >= objects_.size()) {
        return false;
    }
    const bool emptied = std::holds_alternative<std::monostate>(object) &&
                         !std::holds_alternative<std::monostate>(objects_[index]);
    objects_[index] = std::move(object);
    if (emptied) {
        release(index);
    }
    return true;
}

bool MetafileObjectTable::remove(std::size_t index) {
    if (index >= objects_.size()) {
        return false;
    }
    if (!std::holds_alternative<std::monostate>(objects_[index])) {
        objects_[index] = std::monostate{};
        release(index);
    }
    return true;
}

void MetafileObjectTable::release(std::size_t index) {
    free_.push_back(index);
    std::push_heap(free_.begin(), free_.end(), std::greater<>());
}

const MetafileObject* MetafileObjectTable::find(std::size_t index) const {
    if (index >= objects_.size() || std::holds_alternative<std::monostate>(objects_[index])) {
        return nullptr;
    }
    return &objects_[index];
}

} // namespace velmoa
