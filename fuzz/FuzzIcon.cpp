// An .ico file: every image decoded, then the one that suits the drawn size drawn.
#include "FuzzSupport.h"
#include "formats/image/IconPictureData.h"
#include "platform/Failure.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmoa;
    ensureFuzzApplication();
    try {
        drawPictureForFuzzing(*IconPictureData::fromFileBytes(fuzzBytes(data, size)));
    } catch (const Failure&) {
    }
    return 0;
}
