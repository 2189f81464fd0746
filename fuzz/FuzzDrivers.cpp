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
#include "media/engines/FluidSynthEngine.h"
#include "media/engines/FluidSynthLibrary.h"
#include "media/engines/FluidSynthSong.h"

#include <QTextDocument>
#include <cstdlib>
#include <vector>

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

constexpr int kPlaySampleRate = 44100;
constexpr int kPlayFrames = 512;
constexpr int kPlayRendersFromEachStart = 16;

// The synthesizer the engine makes, without an output: made once, reset by every song's start.
fluid_synth_t* fuzzSynthesizer() {
    static fluid_synth_t* const synth = [] {
        const FluidSynthLibrary* fluid = FluidSynthLibrary::get();
        if (!fluid) {
            std::abort(); // a run without the synthesizer would find nothing
        }
        for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level) {
            fluid->set_log_function(level, nullptr, nullptr);
        }
        fluid_settings_t* settings = fluid->new_settings();
        fluid->settings_setnum(settings, "synth.sample-rate", kPlaySampleRate);
        fluid_synth_t* made = fluid->new_synth(settings);
        if (!made || fluid->synth_sfload(made, FluidSynthEngine::kGeneralMidiSoundFont, 1) == FLUID_FAILED) {
            std::abort();
        }
        return made;
    }();
    return synth;
}

// A song played on the synthesizer as the engine's audio thread plays it, from its start, its middle
// and its last tick (the chase of settings at a seek), then stopped.
void driveMidiPlay(std::string_view bytes) {
    std::shared_ptr<const MidiFile> song;
    try {
        song = std::make_shared<const MidiFile>(MidiFile::parse(bytes));
    } catch (const Failure&) {
        return;
    }
    FluidSynthSong playing(fuzzSynthesizer());
    std::vector<float> left(kPlayFrames);
    std::vector<float> right(kPlayFrames);
    const std::int64_t end = song->totalTicks();
    for (const std::int64_t start : {std::int64_t{0}, end / 2, std::max<std::int64_t>(end - 1, 0)}) {
        playing.play(std::make_unique<MidiSequencer>(song, start, kPlaySampleRate));
        for (int i = 0; i < kPlayRendersFromEachStart && !playing.sequencer()->finished(); ++i) {
            playing.render(left.data(), right.data(), kPlayFrames);
        }
    }
    playing.play(nullptr);
    playing.render(left.data(), right.data(), kPlayFrames);
}

void drivePlaylist(std::string_view bytes) {
    readXmlPlaylist(bytes, "/music");
}

} // namespace

const std::vector<NamedFuzzDriver>& fuzzDrivers() {
    static const std::vector<NamedFuzzDriver> drivers = {
        {"bmp", driveBitmap},          {"ico", driveIcon},           {"jpeg", driveJpeg},
        {"wmf", driveMetafile<false>}, {"emf", driveMetafile<true>}, {"rtf", driveRichText},
        {"text", driveText},           {"midi", driveMidi},          {"midi_play", driveMidiPlay},
        {"playlist", drivePlaylist},
    };
    return drivers;
}

} // namespace velmoa
