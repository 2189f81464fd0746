// Text of unknown encoding: judged as text or not, decoded (UTF-8, CP932 or Latin-1) or dumped as
// hex, then filled into a document as the text control fills it, laid out and painted.
#include "FuzzSupport.h"
#include "document/HexDump.h"
#include "document/TextTest.h"
#include "formats/text/PlainTextDocument.h"
#include "formats/text/TextEncoding.h"

#include <QTextDocument>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmoa;
    ensureFuzzApplication();
    const std::string_view bytes = fuzzBytes(data, size);
    QString text;
    if (isTextContent(bytes)) {
        text = bytesToDisplayText(bytes);
    } else {
        for (const std::string& line : hexDumpLines(bytes)) {
            text += QString::fromLatin1(line) + QLatin1Char('\n');
        }
    }
    QTextDocument document;
    fillPlainText(document, text, QTextCharFormat());
    drawDocumentForFuzzing(document);
    return 0;
}
