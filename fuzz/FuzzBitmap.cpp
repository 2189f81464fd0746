// A .bmp file: decoded as a load decodes it, then drawn.
#include "FuzzSupport.h"
#include "formats/image/BitmapDecoder.h"
#include "formats/image/BitmapPictureData.h"
#include "platform/Failure.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmoa;
    ensureFuzzApplication();
    try {
        const BitmapPictureData picture(BitmapDecoder::decodeFile(fuzzBytes(data, size)));
        drawPictureForFuzzing(picture);
    } catch (const Failure&) {
    }
    return 0;
}
