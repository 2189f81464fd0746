#include "formats/metafile/MetafileClipper.h"

#include "formats/metafile/MetafileGdi.h"
#include "formats/metafile/MetafileWorkBudget.h"

namespace velmoa {

bool MetafileClipper::combine(std::optional<QPainterPath>& clip, const QPainterPath& path, int mode) {
    const QPainterPath current = clip ? *clip : bounds_;
    if (mode < gdi::RGN_AND || mode > gdi::RGN_COPY ||
        !budget_.combine(mode == gdi::RGN_COPY ? bounds_.elementCount() : current.elementCount(),
                         path.elementCount())) {
        return false;
    }
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
