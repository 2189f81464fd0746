#include "picture/PictureList.h"

#include "base/Failure.h"

namespace velmoa {

const std::string& PictureList::item(int index) const {
    if (index < 0 || index >= count()) {
        throw Failure("リストのインデックスが範囲を超えています (" + std::to_string(index) + ")");
    }
    return items_[static_cast<size_t>(index)];
}

} // namespace velmoa
