#include "formats/metafile/MetafileObjects.h"

#include <algorithm>

namespace velmoa {
namespace {

constexpr std::size_t kMaxObjects = 65536;

} // namespace

void MetafileObjectTable::resize(std::size_t size) {
    objects_.assign(std::min(size, kMaxObjects), {});
}

bool MetafileObjectTable::add(MetafileObject object) {
    for (auto& slot : objects_) {
        if (std::holds_alternative<std::monostate>(slot)) {
            slot = std::move(object);
            return true;
        }
    }
    return false;
}

bool MetafileObjectTable::set(std::size_t index, MetafileObject object) {
    if (index >= objects_.size()) {
        return false;
    }
    objects_[index] = std::move(object);
    return true;
}

bool MetafileObjectTable::remove(std::size_t index) {
    if (index >= objects_.size()) {
        return false;
    }
    objects_[index] = std::monostate{};
    return true;
}

const MetafileObject* MetafileObjectTable::find(std::size_t index) const {
    if (index >= objects_.size() || std::holds_alternative<std::monostate>(objects_[index])) {
        return nullptr;
    }
    return &objects_[index];
}

} // namespace velmoa
