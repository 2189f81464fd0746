// A .wmf or .emf file (built once for each, ENHANCED_METAFILE 0 or 1): validated and measured as a
// load does, then played.
#include "FuzzSupport.h"
#include "formats/image/Picture.h"
#include "formats/metafile/MetafileLoader.h"
#include "platform/Failure.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmoa;
    ensureFuzzApplication();
    try {
        const Picture picture =
            loadMetafilePicture(std::string(fuzzBytes(data, size)), ENHANCED_METAFILE != 0);
        drawPictureForFuzzing(*picture.data());
    } catch (const Failure&) {
    }
    return 0;
}
