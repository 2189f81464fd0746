#include "document/RtfPictureImages.h"

#include "FormHarness.h"
#include "controls/RichTextControl.h"
#include "formats/image/PictureFixtures.h"
#include "formats/metafile/EmfWriter.h"
#include "formats/metafile/WmfWriter.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>
#include <gtest/gtest.h>
#include <optional>

using namespace velmoa;
using namespace velmoa::testing;

namespace {

const QRgb kRed = qRgb(255, 0, 0), kBlue = qRgb(0, 0, 255), kBlack = qRgb(0, 0, 0),
           kWhite = qRgb(255, 255, 255);
constexpr std::int64_t kPlenty = std::int64_t{1} << 24;
constexpr std::size_t kPlaceableHeaderBytes = 22;
// Colours as metafiles name them: red in the low byte.
constexpr int kRedRef = 0x0000FF, kBlueRef = 0xFF0000;

// A 100 x 100 pixel enhanced metafile, red on its left half and blue on its right.
std::string halvesEmf() {
    constexpr std::uint32_t kCreateBrush = 39, kSelect = 37, kCreatePen = 38, kRectangle = 43, kNullPen = 5;
    EmfWriter w(9999, 9999, 100, 100, 100, 100);
    w.rec(kCreatePen, {2, kNullPen, 0, 0, 0}).rec(kSelect, {2});
    w.rec(kCreateBrush, {1, 0, kRedRef, 0}).rec(kSelect, {1}).rec(kRectangle, {0, 0, 50, 100});
    w.rec(kCreateBrush, {3, 0, kBlueRef, 0}).rec(kSelect, {3}).rec(kRectangle, {50, 0, 100, 100});
    return w.build();
}

// The same in a Windows metafile as documents embed one: no placeable header, its own window.
std::string halvesBareWmf() {
    constexpr int kCreateBrush = 0x02FC, kCreatePen = 0x02FA, kSelect = 0x012D, kDelete = 0x01F0,
                  kRectangle = 0x041B, kWindowOrg = 0x020B, kWindowExt = 0x020C, kNullPen = 5;
    WmfWriter w(0, 0, 100, 100, 96);
    w.rec(kWindowOrg, {0, 0}).rec(kWindowExt, {100, 100});
    w.rec(kCreatePen, {kNullPen, 0, 0, 0, 0}).rec(kSelect, {0});
    w.rec(kCreateBrush, {0, kRedRef & 0xFFFF, 0, 0})
        .rec(kSelect, {1})
        .rec(kRectangle, {100, 50, 0, 0})
        .rec(kDelete, {1});
    w.rec(kCreateBrush, {0, 0, kBlueRef >> 16, 0}).rec(kSelect, {1}).rec(kRectangle, {100, 100, 0, 50});
    return w.build().substr(kPlaceableHeaderBytes);
}

// A 2 x 1 packed bitmap, red then blue.
std::string redBlueDib() {
    fixtures::Dib dib{40, 2, 1, 24};
    dib.rows = {fixtures::bgr({kRed, kBlue})};
    return fixtures::dibBytes(dib);
}

RtfPicture pictureOf(RtfPicture::Format format, const std::string& bytes, int width = 0, int height = 0,
                     int bitsPerPixel = 1, int widthBytes = 0) {
    return {format, bytes, width, height, bitsPerPixel, 1, widthBytes};
}
// The picture only views its bytes: a temporary would be gone before the picture is read.
RtfPicture pictureOf(RtfPicture::Format format, std::string&& bytes, int width = 0, int height = 0,
                     int bitsPerPixel = 1, int widthBytes = 0) = delete;

using RtfDocument = FormTest;

} // namespace

// Each kind of picture a word processor writes comes out as its own pixels, at the size asked for a
// metafile and at its own size for a bitmap.
TEST(RtfPictureImages, ReadsEachKindThroughTheProgramsReaders) {
    using F = RtfPicture::Format;
    const std::string emf = halvesEmf(), wmf = halvesBareWmf(), dib = redBlueDib();
    // Device-dependent rows, from the top: monochrome 0x0F (four black, four white) padded to a word;
    // 4-bit standard colours 9 (red) and 12 (blue); 24-bit with two bytes of padding.
    const std::string mono("\x0F\x00\x0F\x00", 4), vga("\x9C\x00", 2),
        deep("\x00\x00\xFF\xFF\x00\x00\x00\x00", 8);
    const struct {
        const char* name;
        RtfPicture picture;
        QSize shown;
        QSize size;
        QPoint left, right;
        QRgb leftColour, rightColour;
    } rows[] = {
        {"EMF at the shown size", pictureOf(F::Emf, emf), {40, 20}, {40, 20}, {5, 10}, {35, 10}, kRed, kBlue},
        {"EMF at its own size", pictureOf(F::Emf, emf), {}, {100, 100}, {10, 50}, {90, 50}, kRed, kBlue},
        {"WMF with the document's extent",
         pictureOf(F::Wmf, wmf, 2646, 2646),
         {60, 30},
         {60, 30},
         {5, 15},
         {55, 15},
         kRed,
         kBlue},
        {"WMF without an extent fills the shown size",
         pictureOf(F::Wmf, wmf),
         {30, 30},
         {30, 30},
         {5, 15},
         {25, 15},
         kRed,
         kBlue},
        {"packed bitmap", pictureOf(F::Dib, dib), {99, 99}, {2, 1}, {0, 0}, {1, 0}, kRed, kBlue},
        {"monochrome device bitmap",
         pictureOf(F::DeviceBitmap, mono, 8, 2, 1, 2),
         {},
         {8, 2},
         {1, 1},
         {6, 1},
         kBlack,
         kWhite},
        {"16-colour device bitmap",
         pictureOf(F::DeviceBitmap, vga, 2, 1, 4),
         {},
         {2, 1},
         {0, 0},
         {1, 0},
         kRed,
         kBlue},
        {"24-bit device bitmap",
         pictureOf(F::DeviceBitmap, deep, 2, 1, 24, 8),
         {},
         {2, 1},
         {0, 0},
         {1, 0},
         kRed,
         kBlue},
    };
    for (const auto& row : rows) {
        const QImage image = rtfPictureImage(row.picture, row.shown, kPlenty);
        ASSERT_EQ(image.size(), row.size) << row.name;
        EXPECT_EQ(image.pixel(row.left) & RGB_MASK, row.leftColour & RGB_MASK) << row.name;
        EXPECT_EQ(image.pixel(row.right) & RGB_MASK, row.rightColour & RGB_MASK) << row.name;
    }
}

TEST(RtfPictureImages, LeavesOutWhatTheReadersRefuseOrTheBudgetCannotHold) {
    using F = RtfPicture::Format;
    const std::string emf = halvesEmf(), wmf = halvesBareWmf(), dib = redBlueDib();
    const std::string damagedEmf = emf.substr(0, 40), damagedWmf = "\x07" + wmf.substr(1),
                      cutDib = dib.substr(0, 42), threeZeros(3, '\0'), twoLetters = "ab",
                      fortyZeros(40, '\0');
    const struct {
        const char* name;
        RtfPicture picture;
        QSize shown;
        std::int64_t maxPixels;
    } rows[] = {
        {"damaged EMF", pictureOf(F::Emf, damagedEmf), {10, 10}, kPlenty},
        {"EMF past the budget", pictureOf(F::Emf, emf), {100, 100}, 9999},
        {"WMF without any size", pictureOf(F::Wmf, wmf), {}, kPlenty},
        {"WMF whose header is damaged", pictureOf(F::Wmf, damagedWmf, 100, 100), {10, 10}, kPlenty},
        {"packed bitmap past the budget", pictureOf(F::Dib, dib), {}, 1},
        {"packed bitmap cut short", pictureOf(F::Dib, cutDib), {}, kPlenty},
        {"device bitmap rows missing", pictureOf(F::DeviceBitmap, threeZeros, 8, 2, 1, 2), {}, kPlenty},
        {"device bitmap of 8 bits, whose colours the device kept",
         pictureOf(F::DeviceBitmap, twoLetters, 2, 1, 8),
         {},
         kPlenty},
        {"device bitmap past the budget", pictureOf(F::DeviceBitmap, fortyZeros, 8, 10, 1, 2), {}, 79},
    };
    for (const auto& row : rows) {
        EXPECT_TRUE(rtfPictureImage(row.picture, row.shown, row.maxPixels).isNull()) << row.name;
    }
}

// A document written on Windows, opened in the window: its metafile picture shows in the text.
TEST_F(RtfDocument, ItsMetafilePictureShowsInTheDocumentView) {
    const QByteArray wmf = QByteArray::fromStdString(halvesBareWmf());
    const std::string rtf = "{\\rtf1\\ansi before{\\*\\shppict{\\pict\\wmetafile8\\picw2646\\pich2646"
                            "\\picwgoal1500\\pichgoal1500 " +
                            wmf.toHex().toStdString() + "}}after\\par}";
    showForm();
    drop(writeFile(dir, "letter.rtf", rtf));
    ASSERT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join(' ').toStdString();
    QTextDocument* document = form->RichEdit1->document();
    EXPECT_EQ(document->toPlainText().trimmed(), QStringLiteral("before\uFFFCafter"));
    std::optional<QTextImageFormat> found;
    for (QTextBlock block = document->begin(); block.isValid() && !found; block = block.next()) {
        for (auto it = block.begin(); !it.atEnd() && !found; ++it) {
            if (it.fragment().charFormat().isImageFormat()) {
                found = it.fragment().charFormat().toImageFormat();
            }
        }
    }
    ASSERT_TRUE(found.has_value());
    const QTextImageFormat format = *found;
    EXPECT_EQ(QSizeF(format.width(), format.height()), QSizeF(100, 100));
    const QImage image =
        document->resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
    ASSERT_EQ(image.size(), QSize(100, 100));
    EXPECT_EQ(image.pixel(20, 50) & RGB_MASK, kRed & RGB_MASK);
    EXPECT_EQ(image.pixel(80, 50) & RGB_MASK, kBlue & RGB_MASK);
}
