#include "FuzzDrivers.h"

#include "FuzzSupport.h"
#include "base/Failure.h"
#include "document/HexDump.h"
#include "document/RtfPictureImages.h"
#include "document/TextTest.h"
#include "formats/image/BitmapDecoder.h"
#include "formats/image/BitmapPictureData.h"
#include "formats/image/IconPictureData.h"
#include "formats/image/JpegDisplayDecode.h"
#include "formats/image/JpegPictureData.h"
#include "formats/metafile/MetafileLoader.h"
#include "formats/midi/MidiFile.h"
#include "formats/picture/Picture.h"
#include "formats/playlist/XmlPlaylist.h"
#include "formats/richtext/RtfReader.h"
#include "formats/text/PlainTextDocument.h"
#include "formats/text/TextEncoding.h"

#include <QTextDocument>

namespace velmoa {
namespace {

template <class Load> void loadAndDraw(Load load) {
    try {
        drawPictureForFuzzing(*load());
    } catch (const Failure&) {
    }
}

void driveBitmap(std::string_view bytes) {
    loadAndDraw([&] { return std::make_shared<BitmapPictureData>(BitmapDecoder::decodeFile(bytes)); });
}

void driveIcon(std::string_view bytes) {
    loadAndDraw([&] { return IconPictureData::fromFileBytes(bytes); });
}

// EXIF orientation is read with the header and applied at the draw.
void driveJpeg(std::string_view bytes) {
    loadAndDraw([&] { return std::make_shared<JpegPictureData>(ByteBuffer::copyOf(bytes)); });
    // As a picture prepared ahead: shrunk to its drawn size while it is decoded.
    try {
        const MemoryCodedSource source(ByteBuffer::copyOf(bytes));
        const JpegHeader header = JpegDecoder::readHeader(source);
        const QSize stored(header.width, header.height);
        JpegDisplayDecode::makeFitted(source, header,
                                      (stored / 3).expandedTo({1, 1}).boundedTo(kFuzzTargetSize));
    } catch (const Failure&) {
    }
}

template <bool enhanced> void driveMetafile(std::string_view bytes) {
    try {
        const Picture picture = loadMetafilePicture(std::string(bytes), enhanced);
        drawPictureForFuzzing(*picture.data());
    } catch (const Failure&) {
    }
}

void driveRichText(std::string_view bytes) {
    QTextDocument document;
    QTextCharFormat format;
    format.setFontPointSize(12);
    // With the document view's decoder: metafiles and bitmaps inside the text are read too.
    if (RtfReader(document, format, rtfPictureImage).read(bytes)) {
        drawDocumentForFuzzing(document);
    }
}

// Text of unknown encoding: judged as text or not, decoded (UTF-8, CP932 or Latin-1) or dumped as
// hex, then filled in as the text control fills it.
void driveText(std::string_view bytes) {
    QString text;
    if (isTextContent(bytes)) {
        text = bytesToDisplayText(bytes);
    } else {
        for (const std::string& line : hexDumpLines(bytes)) {
            text += QString::fromLatin1(line) + QLatin1Char('\n');
        }
    }
    QTextDocument document;
    PlainTextDocument::fill(document, text, QTextCharFormat());
    drawDocumentForFuzzing(document);
}

// A song is read whole, then its tempo map is asked where ticks and milliseconds fall, as the
// position bar asks it.
void driveMidi(std::string_view bytes) {
    try {
        const MidiFile song = MidiFile::parse(bytes);
        const double length = song.lengthMilliseconds();
        for (int step = 0; step <= 4; ++step) {
            song.tickAt(length * step / 4);
            song.millisecondsAt(song.totalTicks() * step / 4);
        }
    } catch (const Failure&) {
    }
}

void drivePlaylist(std::string_view bytes) {
    readXmlPlaylist(bytes, "/music");
}

} // namespace

const std::vector<NamedFuzzDriver>& fuzzDrivers() {
    static const std::vector<NamedFuzzDriver> drivers = {
        {"bmp", driveBitmap},          {"ico", driveIcon},           {"jpeg", driveJpeg},
        {"wmf", driveMetafile<false>}, {"emf", driveMetafile<true>}, {"rtf", driveRichText},
        {"text", driveText},           {"midi", driveMidi},          {"playlist", drivePlaylist},
    };
    return drivers;
}

} // namespace velmoa
