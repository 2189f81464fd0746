#include "formats/image/IconPictureData.h"

#include "PictureFixtures.h"
#include "base/Failure.h"
#include "formats/picture/Picture.h"

#include <QBuffer>
#include <QPainter>
#include <gtest/gtest.h>

using namespace velmoa;
using namespace fixtures;

namespace {

const QRgb kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 255, 0), kBlue = qRgb(0, 0, 255);

// An icon image as a bitmap: colour rows then the AND mask, both bottom-up, and the header
// giving twice the height. maskedPixel (x, y from the top) is transparent in the mask. Depths of
// 8 bits and less hold the colour as palette entry 0.
std::string dibImage(int size, int bitCount, QRgb colour, QPoint maskedPixel = {-1, -1},
                     int alphaAtOrigin = 255) {
    Dib dib{40, size, size * 2, bitCount};
    if (bitCount <= 8) {
        dib.palette.assign(std::size_t{1} << bitCount, qRgb(0, 0, 0));
        dib.palette[0] = colour;
    }
    for (int row = 0; row < size; ++row) {
        std::string bytes;
        if (bitCount <= 8) {
            bytes.assign(static_cast<std::size_t>((size * bitCount + 7) / 8), '\0');
        }
        for (int x = 0; x < size && bitCount > 8; ++x) {
            bytes += bgr({colour});
            if (bitCount == 32) {
                const bool origin = x == 0 && row == size - 1;
                bytes += static_cast<char>(origin ? alphaAtOrigin : 255);
            }
        }
        dib.rows.push_back(bytes);
    }
    const int maskStride = (size + 31) / 32 * 4;
    for (int row = 0; row < size; ++row) {
        std::string mask(static_cast<std::size_t>(maskStride), '\0');
        if (maskedPixel.y() == size - 1 - row) {
            mask[static_cast<std::size_t>(maskedPixel.x() / 8)] =
                static_cast<char>(0x80 >> (maskedPixel.x() % 8));
        }
        dib.rows.push_back(mask);
    }
    return dibBytes(dib);
}

std::string pngImage(int size, QRgb colour) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

// Directory entries leave size, colours, planes and bit count 0, as some writers do.
std::string icoFile(const std::vector<std::string>& images, int type = 1) {
    std::string out =
        le16(0) + le16(static_cast<std::uint32_t>(type)) + le16(static_cast<std::uint32_t>(images.size()));
    std::size_t offset = 6 + 16 * images.size();
    for (const std::string& image : images) {
        out += std::string(8, '\0') + le32(static_cast<std::uint32_t>(image.size())) +
               le32(static_cast<std::uint32_t>(offset));
        offset += image.size();
    }
    for (const std::string& image : images) {
        out += image;
    }
    return out;
}

QImage drawn(const Picture& picture, int size) {
    QImage canvas(size, size, QImage::Format_ARGB32);
    canvas.fill(Qt::white); // the panel the icon lies on
    QPainter painter(&canvas);
    picture.draw(painter, QRect(0, 0, size, size));
    return canvas;
}

std::string messageOf(const std::string& bytes) {
    try {
        IconPictureData::fromFileBytes(bytes);
    } catch (const Failure& f) {
        return f.what();
    }
    return "(loaded)";
}

} // namespace

TEST(IconPictureData, ReportsTheStandardSizeUntilADrawChoosesAnImage) {
    const Picture shown(Picture::Kind::Icon,
                        IconPictureData::fromFileBytes(icoFile(
                            {dibImage(16, 32, kRed), dibImage(48, 24, kGreen), pngImage(32, kBlue)})));
    // NOLINTNEXTLINE(performance-unnecessary-copy-initialization): a copy sees what the original drew
    const Picture copy = shown;
    EXPECT_EQ(shown.width(), 32);
    EXPECT_EQ(shown.height(), 32);
    const struct {
        int drawnSize;
        int chosenSize;
        QRgb colour;
    } rows[] = {{100, 48, kGreen}, {20, 32, kBlue}, {40, 48, kGreen}, {10, 16, kRed}, {32, 32, kBlue}};
    for (const auto& row : rows) {
        const QImage canvas = drawn(shown, row.drawnSize);
        EXPECT_EQ(canvas.pixel(row.drawnSize / 2, row.drawnSize / 2), row.colour) << row.drawnSize;
        EXPECT_EQ(copy.width(), row.chosenSize) << row.drawnSize;
        EXPECT_EQ(copy.height(), row.chosenSize) << row.drawnSize;
    }
}

TEST(IconPictureData, ChoosesTheDeepestOfTheImagesOfTheBestSize) {
    const std::vector<IconPictureData::Candidate> candidates = {
        {{48, 48}, 8}, {{16, 16}, 4}, {{256, 256}, 32}, {{32, 32}, 4},  {{32, 32}, 32},
        {{32, 32}, 8}, {{16, 16}, 4}, {{48, 48}, 64},   {{48, 48}, 32},
    };
    const std::pair<QSize, std::size_t> rows[] = {
        {{16, 16}, 1}, // equal depths: the first
        {{17, 17}, 4}, {{32, 32}, 4},   {{1, 1}, 1},
        {{33, 10}, 7}, // deeper than the display counts as the display's depth: the first of those
        {{20, 40}, 7}, {{256, 256}, 2}, {{300, 300}, 2},
    };
    for (const auto& [target, index] : rows) {
        EXPECT_EQ(IconPictureData::chooseImage(candidates, target), index)
            << target.width() << "x" << target.height();
    }
}

// Icon editors write the 16-colour image first, for old displays, and the true-colour one after.
TEST(IconPictureData, DrawsTheTrueColourImageOfTheSizeWhateverItsPlace) {
    for (const bool pngLast : {false, true}) {
        const std::string deep = pngLast ? pngImage(32, kGreen) : dibImage(32, 32, kGreen);
        const Picture picture(
            Picture::Kind::Icon,
            IconPictureData::fromFileBytes(icoFile({dibImage(32, 4, kRed), deep, dibImage(32, 8, kBlue)})));
        EXPECT_EQ(drawn(picture, 32).pixel(16, 16), kGreen) << (pngLast ? "PNG" : "bitmap");
    }
}

// What the mask or alpha leaves out shows the white frame beneath the icon.
TEST(IconPictureData, LetsTheFrameShowThroughTransparentParts) {
    const QRgb kWhite = qRgb(255, 255, 255);
    const Picture masked(Picture::Kind::Icon,
                         IconPictureData::fromFileBytes(icoFile({dibImage(48, 24, kGreen, QPoint(0, 0))})));
    const QImage maskedCanvas = drawn(masked, 48);
    EXPECT_EQ(maskedCanvas.pixel(0, 0), kWhite);
    EXPECT_EQ(maskedCanvas.pixel(1, 0), kGreen);

    // With alpha present the mask is not used, even where it marks a pixel; half alpha is half
    // the colour over white.
    const Picture alpha(Picture::Kind::Icon,
                        IconPictureData::fromFileBytes(icoFile({dibImage(16, 32, kRed, QPoint(5, 5), 0)})));
    const QImage alphaCanvas = drawn(alpha, 16);
    EXPECT_EQ(alphaCanvas.pixel(0, 0), kWhite);
    EXPECT_EQ(alphaCanvas.pixel(5, 5), kRed);
    const Picture half(Picture::Kind::Icon, IconPictureData::fromFileBytes(
                                                icoFile({dibImage(16, 32, kRed, QPoint(-1, -1), 128)})));
    const QRgb halfPixel = drawn(half, 16).pixel(0, 0);
    EXPECT_EQ(qRed(halfPixel), 255);
    EXPECT_NEAR(qGreen(halfPixel), 127, 1);
    EXPECT_NEAR(qBlue(halfPixel), 127, 1);

    // A 32-bit image whose alpha is all zero falls back to the mask.
    const Picture noAlpha(Picture::Kind::Icon, IconPictureData::fromFileBytes(icoFile({[] {
                              std::string dib = dibImage(16, 32, kRed, QPoint(3, 3));
                              for (std::size_t i = 40 + 3; i < 40 + 16 * 16 * 4; i += 4) {
                                  dib[i] = 0;
                              }
                              return dib;
                          }()})));
    const QImage noAlphaCanvas = drawn(noAlpha, 16);
    EXPECT_EQ(noAlphaCanvas.pixel(3, 3), kWhite);
    EXPECT_EQ(noAlphaCanvas.pixel(4, 3), kRed);
}

TEST(IconPictureData, RefusesBrokenFilesWithTheirMessages) {
    const std::string kIcon = "アイコンイメージが不正です";
    const std::string kStream = "ストリームからの読み込みエラー";
    const std::string good = icoFile({dibImage(16, 24, kRed)});
    std::string reserved = good;
    reserved[0] = 1;
    std::string badHeader = good;
    badHeader.replace(6 + 16, 4, le32(20));
    std::string hugePng = pngImage(1, kBlue);
    hugePng.replace(16, 8, std::string("\0\1\0\0\0\1\0\0", 8));
    std::string widestPng = hugePng;
    widestPng.replace(16, 8, std::string(8, '\xFF'));
    const struct {
        const char* name;
        std::string bytes;
        std::string message;
    } rows[] = {
        {"empty file", "", kIcon},
        {"header cut short", good.substr(0, 4), kIcon},
        {"a cursor", icoFile({dibImage(16, 24, kRed)}, 2), kIcon},
        {"reserved word set", reserved, kIcon},
        {"no images", icoFile({}), kIcon},
        {"directory past the end", good.substr(0, 6 + 8), kStream},
        {"image past the end", good.substr(0, good.size() - 1), kStream},
        {"image with a bad bitmap header", badHeader, kIcon},
        {"PNG image with huge dimensions", icoFile({hugePng}), kIcon},
        {"PNG image whose sides' product overflows", icoFile({widestPng}), kIcon},
        {"PNG image that does not decode",
         icoFile({std::string("\x89PNG\r\n\x1a\n", 8) + std::string(24, '\1')}), kIcon},
        {"good", good, "(loaded)"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(messageOf(row.bytes), row.message) << row.name;
    }
}
