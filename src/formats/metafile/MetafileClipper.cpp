#include "formats/metafile/MetafileClipper.h"

#include "formats/metafile/MetafileGdi.h"
namespace velmoa {
namespace {

// A clip built from many pieces makes every later clip operation slower; past this size
// further clip changes are ignored rather than letting a hostile file stall the draw.
constexpr int kMaxClipElements = 4000;
// Clip combinations cost time by the size of their operands; a file that keeps asking for
// large ones gets its later clip changes ignored once this much work has been done.
constexpr long long kMaxClipWork = 5'000'000;

} // namespace

bool MetafileClipper::combine(std::optional<QPainterPath>& clip, const QPainterPath& path, int mode) {
    const QPainterPath current = clip ? *clip : bounds_;
    if (current.elementCount() > kMaxClipElements || path.elementCount() > kMaxClipElements ||
        work_ > kMaxClipWork) {
        return false;
    }
    work_ += current.elementCount() + path.elementCount();
    QPainterPath result;
    switch (mode) {
    case gdi::RGN_AND:
        result = current.intersected(path);
        break;
    case gdi::RGN_OR:
        result = current.united(path).intersected(bounds_);
        break;
    case gdi::RGN_XOR:
        result = current.united(path).subtracted(current.intersected(path)).intersected(bounds_);
        break;
    case gdi::RGN_DIFF:
        result = current.subtracted(path);
        break;
    case gdi::RGN_COPY:
        result = path.intersected(bounds_);
        break;
    default:
        return false;
    }
    clip = result;
    return true;
}

} // namespace velmoa
