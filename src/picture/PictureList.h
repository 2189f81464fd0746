#pragma once

#include <string>
#include <vector>

namespace velmoa {

// The folder's picture list, in listing order. Reading past either end fails as an
// out-of-range list index.
class PictureList {
  public:
    void clear() { items_.clear(); }
    void assign(std::vector<std::string> items) { items_ = std::move(items); }
    int count() const { return static_cast<int>(items_.size()); }
    const std::string& item(int index) const;
    const std::vector<std::string>& items() const { return items_; }

  private:
    std::vector<std::string> items_;
};

} // namespace velmoa
