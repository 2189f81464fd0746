// A JPEG with or without EXIF: the header read at load, the pixels decoded and turned at the draw.
#include "FuzzSupport.h"
#include "formats/image/JpegPictureData.h"
#include "platform/Failure.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmoa;
    ensureFuzzApplication();
    try {
        const JpegPictureData picture(ByteBuffer::copyOf(fuzzBytes(data, size)));
        drawPictureForFuzzing(picture);
    } catch (const Failure&) {
    }
    return 0;
}
