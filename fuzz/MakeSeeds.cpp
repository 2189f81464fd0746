// Writes the small seed corpora of the fuzz targets: fuzz_seeds OUTDIR makes OUTDIR/<target>/.
// Each seed is a well-formed file that reaches one more part of its reader; the test fixtures'
// writers make them, so seeds and tests agree on the formats.
#include "formats/image/PictureFixtures.h"
#include "formats/metafile/EmfWriter.h"
#include "formats/metafile/HostileMetafiles.h"
#include "formats/metafile/WmfWriter.h"
#include "formats/midi/MidiWriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

using Seeds = std::map<std::string, std::vector<std::string>>;

fixtures::Dib dib(int bitCount, std::uint32_t compression = 0, int headerSize = 40) {
    fixtures::Dib d;
    d.headerSize = headerSize;
    d.width = 5;
    d.height = 3;
    d.bitCount = bitCount;
    d.compression = compression;
    if (bitCount <= 8) {
        d.palette = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)};
        d.palette.resize(std::size_t{1} << bitCount, qRgb(9, 9, 9));
    }
    const int rowBytes = (5 * bitCount + 7) / 8;
    for (int y = 0; y < 3; ++y) {
        std::string row;
        for (int i = 0; i < rowBytes; ++i) {
            row += static_cast<char>(0x31 * (y + 1) + i);
        }
        d.rows.push_back(row);
    }
    return d;
}

void bitmaps(Seeds& s) {
    for (int bits : {1, 4, 8, 24, 32}) {
        s["bmp"].push_back(fixtures::bmpFile(dib(bits)));
    }
    s["bmp"].push_back(fixtures::bmpFile(dib(8, 0, 12)));
    fixtures::Dib fields = dib(16, 3);
    fields.masks = {0xF800, 0x07E0, 0x001F};
    s["bmp"].push_back(fixtures::bmpFile(fields));
    fixtures::Dib v5 = dib(32, 3, 124);
    v5.masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    s["bmp"].push_back(fixtures::bmpFile(v5));
    fixtures::Dib rle8 = dib(8, 1);
    rle8.raw = std::string("\x03\x01\x00\x03\x01\x02\x02\x00\x00\x00\x00\x02\x01\x01\x02\x02\x00\x01", 18);
    s["bmp"].push_back(fixtures::bmpFile(rle8));
    fixtures::Dib rle4 = dib(4, 2);
    rle4.raw = std::string("\x05\x12\x00\x00\x00\x04\x12\x30\x00\x00\x00\x01", 12);
    s["bmp"].push_back(fixtures::bmpFile(rle4));
    fixtures::Dib topDown = dib(24);
    topDown.height = -3;
    s["bmp"].push_back(fixtures::bmpFile(topDown));
}

std::string iconFile(const std::vector<std::string>& images, const std::vector<int>& sides) {
    std::string out =
        fixtures::le16(0) + fixtures::le16(1) + fixtures::le16(static_cast<std::uint32_t>(images.size()));
    std::size_t offset = 6 + 16 * images.size();
    for (std::size_t i = 0; i < images.size(); ++i) {
        out += std::string{static_cast<char>(sides[i]), static_cast<char>(sides[i]), 0, 0} +
               fixtures::le16(1) + fixtures::le16(32) +
               fixtures::le32(static_cast<std::uint32_t>(images[i].size())) +
               fixtures::le32(static_cast<std::uint32_t>(offset));
        offset += images[i].size();
    }
    for (const std::string& image : images) {
        out += image;
    }
    return out;
}

std::string iconDib(int side, int bitCount) {
    fixtures::Dib d = dib(bitCount);
    d.width = side;
    d.height = 2 * side;
    d.rows.assign(static_cast<std::size_t>(2 * side),
                  std::string(static_cast<std::size_t>((side * bitCount + 7) / 8), '\x5A'));
    return fixtures::dibBytes(d);
}

void icons(Seeds& s) {
    s["ico"].push_back(iconFile({iconDib(4, 32)}, {4}));
    s["ico"].push_back(iconFile({iconDib(4, 4), iconDib(8, 8)}, {4, 8}));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    fixtures::quadrants(6, 6).save(&buffer, "PNG");
    s["ico"].push_back(iconFile({png.toStdString(), iconDib(2, 1)}, {6, 2}));
}

void jpegs(Seeds& s) {
    const QImage image = fixtures::quadrants(16, 8);
    fixtures::JpegOptions plain;
    plain.quality = 50;
    s["jpeg"].push_back(fixtures::jpegBytes(image, plain));
    fixtures::JpegOptions o = plain;
    o.progressive = true;
    o.hSampling = o.vSampling = 2;
    o.restartInterval = 1;
    o.app1 = fixtures::exifWithOrientation(6, false);
    s["jpeg"].push_back(fixtures::jpegBytes(image, o));
    o = plain;
    o.grayscale = true;
    o.app1 = fixtures::exifWithOrientation(8, true);
    s["jpeg"].push_back(fixtures::jpegBytes(image, o));
    o = plain;
    o.cmyk = true;
    s["jpeg"].push_back(fixtures::jpegBytes(image, o));
}

void metafiles(Seeds& s, const QString& fixtureDir) {
    for (const char* kind : {"wmf", "emf"}) {
        QFile file(fixtureDir + "/metafile/shapes." + kind);
        if (file.open(QIODevice::ReadOnly)) {
            s[kind].push_back(file.readAll().toStdString());
        }
    }
    WmfWriter w(0, 0, 100, 100, 96);
    w.rec(0x02FC, {0, 0xFF, 0, 0}).rec(0x012D, {0}).rec(0x02FA, {0, 3, 0, 0, 0}).rec(0x012D, {1});
    w.rec(0x041B, {90, 90, 10, 10})
        .rec(0x0324, {3, 10, 90, 50, 10, 90, 90})
        .rec(0x0325, {3, 10, 50, 90, 50, 90, 90});
    w.rec(0x001E, {}).rec(0x0416, {80, 80, 20, 20}).rec(0x0418, {90, 90, 10, 10}).rec(0x0127, {0xFFFF});
    w.rec(0x020C, {200, 200})
        .rec(0x0538, {2, 3, 3, 0, 0, 50, 0, 0, 50, 60, 60, 90, 60, 60, 90})
        .rec(0x01F0, {0});
    s["wmf"].push_back(w.build());
    EmfWriter e(9999, 9999, 100, 100, 100, 100);
    e.rec(39, {1, 0, 0xFF, 0}).rec(37, {1}).rec(38, {2, 0, 3, 0, 0}).rec(37, {2});
    e.rec(43, {10, 10, 90, 90}).rec(42, {20, 20, 80, 80}).rec(59, {}).rec(27, {10, 10}).rec(54, {90, 50});
    e.rec(54, {10, 90}).rec(61, {}).rec(60, {}).rec(62, {0, 0, 100, 100}).rec(33, {}).rec(30, {0, 0, 50, 50});
    e.rec(34, {-1}).rec(40, {1});
    s["emf"].push_back(e.build());
    // Files that once ran away with time or memory, small enough for a seed.
    for (const hostile::Shape& shape : hostile::shapes()) {
        s["emf"].push_back(shape.make(false));
    }
}

void documents(Seeds& s) {
    s["rtf"] = {
        R"({\rtf1\ansi\deff0{\fonttbl{\f0\froman Times;}{\f1\fswiss\fcharset128 MS Gothic;}})"
        R"({\colortbl;\red255\green0\blue0;}\pard\qc\fs40\b Title\b0\par)"
        R"(\pard\fi360\sl360\slmult1 Plain {\i italic} {\cf1 red} {\f1 \'93\'fa\'96\'7b} \u26085?\line next\par})",
        R"({\rtf1{\stylesheet{\s1 Heading;}}\trowd\cellx1000\cellx2000 a\cell b\cell\row)"
        R"(\trowd\cellx1500 c\cell\row\pard\super 2\nosupersp\sub 3\nosupersp\par})",
        R"({\rtf1{\pict\pngblip\picw2\pich2\picwgoal300\pichgoal300 89504e470d0a1a0a}\tab\emdash\bullet{\*\unknown x}\par})",
        // A form of positioned frames: labels and fields side by side, a centred note, a placed table.
        R"({\rtf1\paperw11906\margl1440\margr1440\pard\phmrg\pvmrg\posx1800\posy720\absw2600 Field\par)"
        R"(\pard\phmrg\pvmrg\posx0\posy720\absw1700\dxfrtext180 Label\par\pard\phpg\posx1440\posy1100\absh-300 )"
        R"(Name\par\pard\posxc\posy1500\absw4000\qc Note\par\trowd\tposx720\cellx2000\pard\intbl\posx9 c\cell\row})",
        // Drawing shapes: a bordered rectangle, a flipped arrow line and a group of two.
        R"({\rtf1 A{\shp{\*\shpinst\shpleft0\shptop0\shpright1500\shpbottom750{\sp{\sn shapeType}{\sv 1}})"
        R"({\sp{\sn fillColor}{\sv 255}}{\sp{\sn lineWidth}{\sv 25400}}}{\shprslt{\*\do\dprect}}})"
        R"({\shp{\*\shpinst\shpleft1500\shpright0\shpbottom900{\sp{\sn shapeType}{\sv 20}})"
        R"({\sp{\sn lineEndArrowhead}{\sv 1}}{\sp{\sn lineDashing}{\sv 1}}}})"
        R"({\shpgrp{\*\shpinst\shpright3000\shpbottom1500{\sp{\sn groupRight}{\sv 200}}{\sp{\sn groupBottom}{\sv 100}})"
        R"({\shp{\*\shpinst{\sp{\sn relRight}{\sv 100}}{\sp{\sn relBottom}{\sv 100}}{\sp{\sn shapeType}{\sv 3}}}}}}B\par})",
    };
    s["text"] = {
        "plain ASCII text\r\nwith two lines\n",
        "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E UTF-8\n",
        "\x93\xFA\x96\x7B\x8C\xEA CP932\r\n",
        "Latin-1 \xE9\xE8\xFF\n",
        std::string("binary\0\x01\x02\x1B\x7F\x80", 12),
        std::string(3000, 'x') + "\n" + std::string(3000, '\xE3'),
    };
}

void media(Seeds& s) {
    using namespace velmoa::testing;
    const std::string song = noteEvents(0, 960) + endOfTrack();
    s["midi"] = {
        smf(0, 480, {song}),
        smf(1, 480, {tempoEvent(0, 1000000) + endOfTrack(), tempoEvent(480, 250000) + song}),
        smf(0, 0xE728, {endOfTrack(2000)}),
        rmid(smf(0, 96, {std::string("\x00\xF0\x03\x7E\x7F\xF7", 6) + song})),
    };
    // Played as well as read: the same songs, and small floods on one tick with a seek past them.
    s["midi_play"] = s["midi"];
    s["midi_play"].push_back(notesOnOneTick(64));
    s["midi_play"].push_back(resetFlood(8));
    s["midi_play"].push_back(programChangeFlood(64, true));
    s["playlist"] = {
        R"(<asx version="3.0"><entry><ref href="a.wmv"/></entry><entry><ref href="http://x/b"/></entry></asx>)",
        R"(<?wpl version="1.0"?><smil><body><seq><media src="..\Music\c.wma"/></seq></body></smil>)",
        R"(<ASX><Entry><REF HREF="file:///srv/e%20f.wav"/><Ref href="alt.wav"/></Entry></ASX>)",
    };
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    // NOLINTNEXTLINE(concurrency-mt-unsafe): the program's own start, before any thread
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    Seeds seeds;
    bitmaps(seeds);
    icons(seeds);
    jpegs(seeds);
    metafiles(seeds, QStringLiteral(VELMOA_FIXTURES_DIR));
    documents(seeds);
    media(seeds);
    for (const auto& [target, files] : seeds) {
        const QString dir = QString::fromLocal8Bit(argv[1]) + "/" + QString::fromStdString(target);
        QDir().mkpath(dir);
        for (std::size_t i = 0; i < files.size(); ++i) {
            QFile out(dir + QStringLiteral("/seed-%1").arg(i));
            if (!out.open(QIODevice::WriteOnly) ||
                out.write(files[i].data(), static_cast<qint64>(files[i].size())) < 0) {
                return 1;
            }
        }
    }
    return 0;
}
