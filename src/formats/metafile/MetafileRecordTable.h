#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

namespace velmoa {

class MetafileCanvas;
class MetafileReader;

// Plays one record (its bytes in r, as the player hands them over) onto the canvas; false when
// the record is malformed and playing stops.
using MetafileRecordHandler = bool (*)(MetafileCanvas& canvas, MetafileReader& r);

template <typename Type> struct MetafileRecordEntry {
    Type type;
    MetafileRecordHandler play;
};

// The handlers of a metafile kind, gathered from its families of records and looked up by type.
template <typename Type> class MetafileRecordTable {
  public:
    using Entry = MetafileRecordEntry<Type>;

    MetafileRecordTable(std::initializer_list<std::span<const Entry>> families) {
        for (const auto family : families) {
            entries_.insert(entries_.end(), family.begin(), family.end());
        }
        std::sort(entries_.begin(), entries_.end(),
                  [](const Entry& a, const Entry& b) { return a.type < b.type; });
    }

    // The handler for a record type; null when no family plays it.
    MetafileRecordHandler find(std::uint32_t type) const {
        const auto found =
            std::lower_bound(entries_.begin(), entries_.end(), type,
                             [](const Entry& entry, std::uint32_t t) { return entry.type < t; });
        return found != entries_.end() && found->type == type ? found->play : nullptr;
    }
    const std::vector<Entry>& entries() const { return entries_; }

  private:
    std::vector<Entry> entries_; // sorted by type
};

} // namespace velmoa
