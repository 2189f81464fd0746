// An .rtf file: read into a document as the text control reads it, laid out and painted.
#include "FuzzSupport.h"
#include "formats/richtext/RtfReader.h"

#include <QTextDocument>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmoa;
    ensureFuzzApplication();
    QTextDocument document;
    QTextCharFormat format;
    format.setFontPointSize(12);
    if (RtfReader(document, format).read(fuzzBytes(data, size))) {
        drawDocumentForFuzzing(document);
    }
    return 0;
}
