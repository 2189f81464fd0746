#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmoa {

// Gathers an EMF+ object too large for one record (an image, a long path) from the records it
// is split over. Each piece but the last carries the continue flag and the object's total size;
// writers differ on where the total stands (before the data size, or as the data's first bytes)
// and on whether the last piece is flagged too, so both are read.
class EmfPlusObjectPieces {
  public:
    static constexpr std::uint32_t kMaxObjectSize = 64u * 1024 * 1024;
    static constexpr std::uint16_t kContinues = 0x8000;

    struct Object {
        std::uint16_t flags = 0; // type and id, without the continue flag
        std::string bytes;
    };

    // Whether a record of the type and flags is a piece: a flagged object record, or the unflagged
    // last piece of the object gathered so far.
    bool isPiece(std::uint16_t type, std::uint16_t flags) const;
    // Before a record that is no piece of it: the object gathered so far, ended by the record with
    // what came of it.
    std::optional<Object> endedBy(std::uint16_t type, std::uint16_t flags);
    // Adds a piece given as its whole record, header included. The object once all of it is in;
    // nullopt while more is to come or when the piece is malformed (the object is then dropped).
    std::optional<Object> add(std::uint16_t flags, std::string_view record);

  private:
    std::optional<Object> take();

    std::string bytes_;
    std::uint32_t total_ = 0;
    std::uint16_t flags_ = 0;
    bool gathering_ = false;
};

} // namespace velmoa
