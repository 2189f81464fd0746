#pragma once

#include "formats/picture/Picture.h"
#include "platform/FailureReporter.h"

#include <QImage>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <string>
#include <vector>

// Picture files made at test time: bitmaps byte by byte, JPEGs through libjpeg.
namespace fixtures {

std::string le16(std::uint32_t v);
std::string le32(std::uint32_t v);

struct Dib {
    int headerSize = 40; // 12, 40, 108 or 124
    int width = 0;
    int height = 0; // as written (negative: top-down)
    int bitCount = 24;
    std::uint32_t compression = 0;
    std::vector<QRgb> palette;
    std::uint32_t colorsUsed = 0;
    std::vector<std::uint32_t> masks; // written after a 40-byte header, inside a larger one
    std::vector<std::string> rows;    // stored order, unpadded (padded to 4 bytes here)
    std::string raw;                  // used instead of rows when not empty (run-length data)
    std::string colourSpace;          // a V4/V5 header's fields from the colour space type on
    std::string trailer;              // after the pixels (an embedded colour profile)
};

// The header, palette and pixels; bmpFile puts the 14-byte file header in front.
std::string dibBytes(const Dib& dib);
std::string bmpFile(const Dib& dib);

// Little-endian B, G, R bytes of a row of colours.
std::string bgr(const std::vector<QRgb>& pixels);

struct JpegOptions {
    int quality = 95;
    bool progressive = false;
    bool grayscale = false;
    bool cmyk = false;       // CMYK, inks stored inverted
    bool adobeMarker = true; // for CMYK: Adobe's marker, which some writers leave out
    int restartInterval = 0; // in MCU rows
    int hSampling = 1;       // luma sampling factors: 1x1 = 4:4:4, 2x1 = 4:2:2, 2x2 = 4:2:0
    int vSampling = 1;
    std::string app1;       // written as an APP1 marker when not empty
    std::string iccProfile; // embedded in APP2 chunks, as libjpeg writes them, when not empty
};
std::string jpegBytes(const QImage& image, const JpegOptions& options = {});

// An EXIF block with one orientation tag, in either byte order, stored as the given TIFF type.
enum class ExifType { Byte = 1, Short = 3, Long = 4, SignedLong = 9 };
std::string exifWithOrientation(int orientation, bool bigEndian, ExifType type = ExifType::Short);

// Solid quadrants: top-left red, top-right green, bottom-left blue, bottom-right white.
QImage quadrants(int width, int height);
// One colour all over, at quality 90.
std::string solidJpeg(int width, int height, QRgb colour, const std::string& app1 = {});

// The picture drawn over a black canvas of size, as the views draw it: a decoding error that the
// draw finds is posted to the reporter.
QImage drawn(const velmoa::Picture& picture, QSize size);

std::string writeFile(const QTemporaryDir& dir, const std::string& name, const std::string& bytes);

// Colours within a tolerance (lossy JPEG).
bool near(QRgb a, QRgb b, int tolerance = 24);

class RecordingReporter : public velmoa::FailureReporter {
  public:
    RecordingReporter() : previous_(velmoa::installedFailureReporter()) {
        velmoa::installFailureReporter(this);
    }
    ~RecordingReporter() override { velmoa::installFailureReporter(previous_); }
    void report(const QString& message) override { messages.push_back(message); }
    // Lets posted failures arrive.
    QStringList delivered();

    QStringList messages;

  private:
    velmoa::FailureReporter* previous_;
};

} // namespace fixtures
