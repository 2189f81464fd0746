#include "EmfPlusRecords.h"
#include "EmfPlusWriter.h"
#include "MetafileRendering.h"

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>

// Where EMF+ drawings land against the plain records of the same file, whatever dpi the two
// were recorded at.

using namespace emfplus_records;

namespace {

constexpr float kPixelsPerEmuAt144Dpi = 1.6e-4f; // English metric units, 914 400 an inch

const QColor red(255, 0, 0), blue(0, 0, 255), white(255, 255, 255);

// A picture of size × size pixels on a recording device of the dpi.
EmfWriter pictureAt(int dpi, int size = 100) {
    const int hundredthsOfMm = static_cast<int>(size * 2540.0 / dpi) - 1;
    return EmfWriter(hundredthsOfMm, hundredthsOfMm, dpi * 10, dpi * 10, 254, 254);
}

// A plain rectangle with a solid blue brush.
EmfWriter& plainBlueRect(EmfWriter& w, int x, int y, int r, int b) {
    return w.rec(39, {1, 0, 0xFF0000, 0}).rec(37, {1}).rec(43, {x, y, r, b});
}

std::string png(QColor colour) {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

struct ScaleRow {
    const char* name;
    int deviceDpi;
    std::uint32_t headerDpi;
    std::function<void(EmfPlusWriter&)> records;
    std::vector<Sample> samples;
};

} // namespace

TEST(EmfPlusScale, PixelsAreTheDevicePixelsOfThePlainRecords) {
    const auto u32 = EmfPlusWriter::u32;
    const auto redRect = [](EmfPlusWriter& p) { p.fillRect(kRed, 0, 0, 50, 50); };
    // The EMF+ red square meets the plain blue one at 50 pixels.
    const std::vector<Sample> meeting = {{{45, 45}, red}, {{55, 45}, blue}, {{45, 55}, white}};
    const std::vector<ScaleRow> rows = {
        {"a 96-dpi header on a 72-dpi device", 72, 96, redRect, meeting},
        {"a 96-dpi header on a 152-dpi device", 152, 96, redRect, meeting},
        {"a 72-dpi header on a 96-dpi device", 96, 72, redRect, meeting},
        {"points at the header's dpi", 96, 144,
         [](EmfPlusWriter& p) {
             p.rec(kPageTransform, kUnitPoint, EmfPlusWriter::floats({1}));
             p.fillRect(kRed, 0, 0, 25, 25); // 50 pixels at 144 dpi
         },
         meeting},
        {"a metafile image with its own 144-dpi header scaling its image by 1.6e-4", 96, 96,
         [&](EmfPlusWriter& p) {
             // 40 pixels at 96 dpi, filled by an image of 250 000 units scaled to 40 pixels.
             EmfPlusWriter inner;
             inner.header(false, 144);
             inner.rec(kSetWorldTransform, 0,
                       EmfPlusWriter::floats({kPixelsPerEmuAt144Dpi, 0, 0, kPixelsPerEmuAt144Dpi, 0, 0}));
             inner.object(1, kImageObject, EmfPlusWriter::fileImage(8, 8, png(red)));
             inner.rec(kDrawImage, 1,
                       u32(kNoAttributes) + u32(kUnitPixel) + EmfPlusWriter::rect(0, 0, 8, 8) +
                           EmfPlusWriter::rect(0, 0, 250000, 250000));
             EmfWriter nested = pictureAt(96, 40);
             nested.raw(kComment, inner.comment());
             p.object(2, kImageObject, EmfPlusWriter::metafileImage(kEmf, nested.build()));
             p.rec(kDrawImage, 2,
                   u32(kNoAttributes) + u32(kUnitPixel) + EmfPlusWriter::rect(0, 0, 40, 40) +
                       EmfPlusWriter::rect(0, 0, 50, 50));
         },
         meeting},
    };
    for (const ScaleRow& row : rows) {
        EmfPlusWriter plus;
        plus.header(true, row.headerDpi);
        row.records(plus);
        plus.rec(kGetDc, 0); // the plain rectangle after it is drawn
        EmfWriter w = pictureAt(row.deviceDpi);
        w.raw(kComment, plus.comment());
        plainBlueRect(w, 50, 0, 100, 50);
        const QImage image = renderMetafile(w.build(), true);
        for (const Sample& s : row.samples) {
            EXPECT_TRUE(near(image.pixel(s.at), s.colour))
                << row.name << " at " << s.at.x() << "," << s.at.y() << ": " << std::hex << image.pixel(s.at);
        }
    }
}
