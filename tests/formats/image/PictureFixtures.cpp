#include "PictureFixtures.h"

#include "controls/ImageControl.h"

#include <QCoreApplication>
#include <QFile>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

namespace fixtures {

std::string le16(std::uint32_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF)};
}

std::string le32(std::uint32_t v) {
    return le16(v & 0xFFFF) + le16(v >> 16);
}

std::string dibBytes(const Dib& d) {
    std::string out;
    if (d.headerSize == 12) {
        out = le32(12) + le16(static_cast<std::uint32_t>(d.width)) +
              le16(static_cast<std::uint32_t>(d.height)) + le16(1) +
              le16(static_cast<std::uint32_t>(d.bitCount));
    } else {
        out = le32(static_cast<std::uint32_t>(d.headerSize)) + le32(static_cast<std::uint32_t>(d.width)) +
              le32(static_cast<std::uint32_t>(d.height)) + le16(1) +
              le16(static_cast<std::uint32_t>(d.bitCount)) + le32(d.compression) +
              le32(static_cast<std::uint32_t>(d.raw.size())) + le32(2835) + le32(2835) + le32(d.colorsUsed) +
              le32(0);
        if (d.headerSize > 40) {
            std::string extra;
            for (std::uint32_t m : d.masks) {
                extra += le32(m);
            }
            if (!d.colourSpace.empty()) {
                constexpr std::size_t kMaskBytes = 16;
                extra.resize(kMaskBytes, '\0');
                extra += d.colourSpace;
            }
            extra.resize(static_cast<std::size_t>(d.headerSize - 40), '\0');
            out += extra;
        } else {
            for (std::uint32_t m : d.masks) {
                out += le32(m);
            }
        }
    }
    for (QRgb c : d.palette) {
        out += static_cast<char>(qBlue(c));
        out += static_cast<char>(qGreen(c));
        out += static_cast<char>(qRed(c));
        if (d.headerSize != 12) {
            out += '\0';
        }
    }
    if (!d.raw.empty()) {
        return out + d.raw + d.trailer;
    }
    for (std::string row : d.rows) {
        row.resize((row.size() + 3) / 4 * 4, '\0');
        out += row;
    }
    return out + d.trailer;
}

std::string bmpFile(const Dib& dib) {
    const std::string body = dibBytes(dib);
    std::size_t palette = dib.palette.size() * (dib.headerSize == 12 ? 3 : 4);
    std::size_t masks = dib.headerSize == 40 ? dib.masks.size() * 4 : 0;
    const auto offBits = static_cast<std::uint32_t>(14 + dib.headerSize + masks + palette);
    return "BM" + le32(static_cast<std::uint32_t>(14 + body.size())) + le32(0) + le32(offBits) + body;
}

std::string bgr(const std::vector<QRgb>& pixels) {
    std::string out;
    for (QRgb c : pixels) {
        out += static_cast<char>(qBlue(c));
        out += static_cast<char>(qGreen(c));
        out += static_cast<char>(qRed(c));
    }
    return out;
}

std::string jpegBytes(const QImage& source, const JpegOptions& o) {
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(image.width());
    cinfo.image_height = static_cast<JDIMENSION>(image.height());
    cinfo.input_components = o.cmyk ? 4 : o.grayscale ? 1 : 3;
    cinfo.in_color_space = o.cmyk ? JCS_CMYK : o.grayscale ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, o.quality, TRUE);
    if (!o.grayscale && !o.cmyk) {
        cinfo.comp_info[0].h_samp_factor = o.hSampling;
        cinfo.comp_info[0].v_samp_factor = o.vSampling;
    }
    cinfo.restart_in_rows = o.restartInterval;
    cinfo.write_Adobe_marker = o.cmyk && o.adobeMarker;
    if (o.progressive) {
        jpeg_simple_progression(&cinfo);
    }
    jpeg_start_compress(&cinfo, TRUE);
    if (!o.app1.empty()) {
        jpeg_write_marker(&cinfo, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(o.app1.data()),
                          static_cast<unsigned>(o.app1.size()));
    }
    if (!o.iccProfile.empty()) {
        jpeg_write_icc_profile(&cinfo, reinterpret_cast<const JOCTET*>(o.iccProfile.data()),
                               static_cast<unsigned>(o.iccProfile.size()));
    }
    std::vector<unsigned char> row(static_cast<std::size_t>(image.width()) * 4);
    while (cinfo.next_scanline < cinfo.image_height) {
        const uchar* src = image.constScanLine(static_cast<int>(cinfo.next_scanline));
        for (std::size_t x = 0; x < static_cast<std::size_t>(image.width()); ++x) {
            const int r = src[3 * x], g = src[3 * x + 1], b = src[3 * x + 2];
            if (o.cmyk) {
                // Inverted inks, as Adobe writes them: no black, the colour channels carry the picture.
                row[4 * x] = static_cast<unsigned char>(r);
                row[4 * x + 1] = static_cast<unsigned char>(g);
                row[4 * x + 2] = static_cast<unsigned char>(b);
                row[4 * x + 3] = 255;
            } else if (o.grayscale) {
                row[x] = static_cast<unsigned char>((r * 299 + g * 587 + b * 114) / 1000);
            } else {
                row[3 * x] = static_cast<unsigned char>(r);
                row[3 * x + 1] = static_cast<unsigned char>(g);
                row[3 * x + 2] = static_cast<unsigned char>(b);
            }
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string out(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return out;
}

std::string exifWithOrientation(int orientation, bool bigEndian, ExifType type) {
    auto u16 = [bigEndian](std::uint32_t v) {
        std::string s = le16(v);
        return bigEndian ? std::string{s[1], s[0]} : s;
    };
    auto u32 = [bigEndian](std::uint32_t v) {
        std::string s = le32(v);
        return bigEndian ? std::string{s[3], s[2], s[1], s[0]} : s;
    };
    std::string tiff = std::string(bigEndian ? "MM" : "II") + u16(42) + u32(8);
    // One IFD entry: tag 0x0112, count 1, the value left-justified in the 4-byte field.
    const auto value = static_cast<std::uint32_t>(orientation);
    std::string field;
    switch (type) {
    case ExifType::Byte:
        field = std::string(1, static_cast<char>(value)) + std::string(3, '\0');
        break;
    case ExifType::Short:
        field = u16(value) + u16(0);
        break;
    case ExifType::Long:
    case ExifType::SignedLong:
        field = u32(value);
        break;
    }
    tiff += u16(1) + u16(0x0112) + u16(static_cast<std::uint32_t>(type)) + u32(1) + field + u32(0);
    return std::string("Exif\0\0", 6) + tiff;
}

QImage quadrants(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2, bottom = y >= height / 2;
            image.setPixel(x, y,
                           bottom ? (right ? qRgb(255, 255, 255) : qRgb(0, 0, 255))
                                  : (right ? qRgb(0, 255, 0) : qRgb(255, 0, 0)));
        }
    }
    return image;
}

std::string solidJpeg(int width, int height, QRgb colour, const std::string& app1) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return jpegBytes(image, {.quality = 90, .app1 = app1});
}

QImage drawn(const velmoa::Picture& picture, QSize size) {
    QImage canvas(size, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    velmoa::drawPicture(picture, painter, QRect(QPoint(0, 0), size));
    return canvas;
}

std::string writeFile(const QTemporaryDir& dir, const std::string& name, const std::string& bytes) {
    std::string path = dir.path().toStdString() + "/" + name;
    QFile file(QString::fromStdString(path));
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    return path;
}

bool near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

QStringList RecordingReporter::delivered() {
    QCoreApplication::processEvents();
    return messages;
}

} // namespace fixtures
