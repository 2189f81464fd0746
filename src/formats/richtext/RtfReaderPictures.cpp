#include "formats/richtext/RtfReader.h"

#include "formats/richtext/RtfSyntax.h"

#include <QBuffer>
#include <QImageReader>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>
#include <algorithm>
#include <cmath>

namespace velmoa {
using namespace rtf;
namespace {

// \picw and \pich of a metafile count hundredths of a millimetre; ten metres is damage.
constexpr int kMaxPictureExtent = 1'000'000;
constexpr double kHundredthsOfMmPerInch = 2540;
constexpr double kPixelsPerInch = 96;
constexpr int kMaxBitsPerPixel = 32;
constexpr int kMaxPlanes = 4;

// The picture words and what they make of the picture; pictures of other kinds (\macpict,
// \pmmetafile) have no reader here and are left out.
struct FormatWord {
    const char* word;
    RtfPicture::Format format;
};
constexpr FormatWord kFormatWords[] = {
    {"pngblip", RtfPicture::Format::Png},  {"jpegblip", RtfPicture::Format::Jpeg},
    {"emfblip", RtfPicture::Format::Emf},  {"wmetafile", RtfPicture::Format::Wmf},
    {"dibitmap", RtfPicture::Format::Dib}, {"wbitmap", RtfPicture::Format::DeviceBitmap},
};

bool isMetafile(RtfPicture::Format format) {
    return format == RtfPicture::Format::Emf || format == RtfPicture::Format::Wmf;
}

// One side as the document shows it, in pixels, before scaling: the goal when the writer gave one,
// otherwise a metafile's extent; 0 for the side of the decoded image.
double declaredSide(int goalTwips, int extent, RtfPicture::Format format) {
    if (goalTwips > 0) {
        return goalTwips / double(kTwipsPerPixel);
    }
    return isMetafile(format) ? extent * kPixelsPerInch / kHundredthsOfMmPerInch : 0;
}

} // namespace

void RtfReader::pictureWord(const std::string& word, int param) {
    for (const FormatWord& entry : kFormatWords) {
        if (word == entry.word) {
            picture_.kind = PictureData::Kind::Decodable;
            picture_.format = entry.format;
            return;
        }
    }
    if (word == "macpict" || word == "pmmetafile") {
        picture_.kind = PictureData::Kind::Other;
    } else if (word == "picw") {
        picture_.width = clampInt(param, 0, kMaxPictureExtent);
    } else if (word == "pich") {
        picture_.height = clampInt(param, 0, kMaxPictureExtent);
    } else if (word == "picwgoal") {
        picture_.goalWidth = clampInt(param, 0, kMaxPictureSide * kTwipsPerPixel);
    } else if (word == "pichgoal") {
        picture_.goalHeight = clampInt(param, 0, kMaxPictureSide * kTwipsPerPixel);
    } else if (word == "picscalex") {
        picture_.scaleX = clampInt(param, 1, 1000);
    } else if (word == "picscaley") {
        picture_.scaleY = clampInt(param, 1, 1000);
    } else if (word == "wbmbitspixel") {
        picture_.bitsPerPixel = clampInt(param, 1, kMaxBitsPerPixel);
    } else if (word == "wbmplanes") {
        picture_.planes = clampInt(param, 1, kMaxPlanes);
    } else if (word == "wbmwidthbytes") {
        picture_.widthBytes = clampInt(param, 0, kMaxPictureSide * kMaxBitsPerPixel / 8);
    }
}

QImage RtfReader::decodePicture(const PictureData& picture, QSize shownSize, std::int64_t maxPixels) const {
    if (picture.format != RtfPicture::Format::Png && picture.format != RtfPicture::Format::Jpeg) {
        if (!pictures_) {
            return {};
        }
        const RtfPicture given{picture.format,       picture.bytes,  picture.width,     picture.height,
                               picture.bitsPerPixel, picture.planes, picture.widthBytes};
        const QImage image = pictures_(given, shownSize, maxPixels);
        return std::int64_t{image.width()} * image.height() <= maxPixels ? image : QImage();
    }
    // The decoded size is checked against what is left of the budget before any pixel is decoded: a
    // small compressed picture can claim a huge size.
    QByteArray data =
        QByteArray::fromRawData(picture.bytes.data(), static_cast<qsizetype>(picture.bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, picture.format == RtfPicture::Format::Png ? "png" : "jpeg");
    const QSize size = reader.size();
    if (size.isEmpty() || std::int64_t{size.width()} * size.height() > maxPixels) {
        return {};
    }
    return reader.read();
}

void RtfReader::finishPicture() {
    PictureData picture = std::move(picture_);
    picture_ = PictureData{};
    // A full document leaves the picture out: it is not decoded for nothing.
    if (picture.kind != PictureData::Kind::Decodable || budget_.full()) {
        return;
    }
    const double scaleX = picture.scaleX / 100.0, scaleY = picture.scaleY / 100.0;
    auto shownSide = [](double side, double scale) {
        return std::clamp(side * scale, 1.0, double(kMaxPictureSide));
    };
    double width = declaredSide(picture.goalWidth, picture.width, picture.format);
    double height = declaredSide(picture.goalHeight, picture.height, picture.format);
    // A metafile is drawn at the size it is shown, when the document gives one.
    const QSize drawnSize = width > 0 && height > 0
                                ? QSize(static_cast<int>(std::lround(shownSide(width, scaleX))),
                                        static_cast<int>(std::lround(shownSide(height, scaleY))))
                                : QSize();
    const QImage image =
        decodePicture(picture, drawnSize, (kMaxPictureBytes - pictureBytes_) / kBytesPerPixel);
    if (image.isNull()) {
        return;
    }
    if (placeImage(image, shownSide(width > 0 ? width : image.width(), scaleX),
                   shownSide(height > 0 ? height : image.height(), scaleY))) {
        pictureBytes_ += kBytesPerPixel * image.width() * image.height();
    }
}

bool RtfReader::placeImage(const QImage& image, double width, double height) {
    if (!budget_.takePicture(height)) {
        return false;
    }
    const QString name = QStringLiteral("rtf-picture-%1").arg(++pictureCount_);
    document_.addResource(QTextDocument::ImageResource, QUrl(name), image);
    QTextImageFormat format;
    format.setName(name);
    format.setWidth(width);
    format.setHeight(height);
    syncFlow();
    flushRun();
    cursor_.insertImage(format);
    return true;
}

} // namespace velmoa
