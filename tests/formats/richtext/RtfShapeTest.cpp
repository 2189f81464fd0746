#include "formats/richtext/RtfReader.h"

#include <QBuffer>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>
#include <gtest/gtest.h>

using namespace velmoa;

namespace {

// A document read from rich text: its text, each picture as "[w x h]", and the pictures.
struct Read {
    QString text;
    std::vector<QImage> images;
};

Read read(const std::string& rtf) {
    QTextDocument document;
    EXPECT_TRUE(readRtf(rtf, document, QTextCharFormat())) << rtf;
    Read out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFormat format = it.fragment().charFormat();
            if (!format.isImageFormat()) {
                out.text += it.fragment().text();
                continue;
            }
            const QTextImageFormat image = format.toImageFormat();
            out.text += QStringLiteral("[%1x%2]").arg(image.width()).arg(image.height());
            out.images.push_back(document.resource(QTextDocument::ImageResource, QUrl(image.name()))
                                     .value<QImage>()
                                     .convertToFormat(QImage::Format_ARGB32));
        }
        out.text += QLatin1Char('\n');
    }
    return out;
}

std::string property(const std::string& name, const std::string& value) {
    return "{\\sp{\\sn " + name + "}{\\sv " + value + "}}";
}

// A shape in the flow from (left, top) to (right, bottom) twips, with its properties.
std::string shape(int left, int top, int right, int bottom, const std::string& properties,
                  const std::string& result = "") {
    return "{\\shp{\\*\\shpinst\\shpleft" + std::to_string(left) + "\\shptop" + std::to_string(top) +
           "\\shpright" + std::to_string(right) + "\\shpbottom" + std::to_string(bottom) +
           "\\shpz0\\shpwr3\\shpfhdr0\\shpbxcolumn\\shpbypara" + properties + "}" + result + "}";
}

// A picture of w x h pixels as a PNG picture group.
std::string pngPicture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return "{\\pict\\pngblip " + bytes.toHex().toStdString() + "}";
}

const QColor kTransparent(0, 0, 0, 0);
const QColor kRed(255, 0, 0), kGreen(0, 255, 0), kBlue(0, 0, 255), kWhite(255, 255, 255);
// Colours as shapes give them: 0x00BBGGRR, in decimal.
const std::string kRedValue = "255", kGreenValue = "65280", kBlueValue = "16711680";
// An 8-pixel line, in EMUs: its half reaches 4 pixels out of the box, and the image has one more.
const std::string kWideLine = "76200";

struct Sample {
    int x, y;
    QColor colour;
};

// Near enough, for the pixels antialiasing leaves alone.
bool near(QColor got, QColor expected) {
    const auto close = [](int a, int b) { return std::abs(a - b) <= 8; };
    return close(got.alpha(), expected.alpha()) &&
           (expected.alpha() == 0 ||
            (close(got.red(), expected.red()) && close(got.green(), expected.green()) &&
             close(got.blue(), expected.blue())));
}

} // namespace

// Each shape kind is drawn as a picture of its box in pixels with room around for its line, in its
// colours; what is outside the shape stays transparent.
TEST(RtfShape, DrawsShapesFromTheirProperties) {
    const std::string wideBlueBorder = property("lineColor", kBlueValue) + property("lineWidth", kWideLine);
    const std::string redLine =
        property("shapeType", "20") + property("lineColor", kRedValue) + property("lineWidth", kWideLine);
    const struct Row {
        const char* name;
        std::string shape;
        QSize size;
        std::vector<Sample> samples;
    } rows[] = {
        {"filled rectangle with a border",
         shape(0, 0, 1500, 750,
               property("shapeType", "1") + property("fillColor", kRedValue) + wideBlueBorder),
         {110, 60},
         {{55, 30, kRed}, {5, 30, kBlue}, {55, 5, kBlue}, {0, 30, kTransparent}, {109, 30, kTransparent}}},
        {"rectangle with only its border",
         shape(0, 0, 1500, 750, property("shapeType", "1") + property("fFilled", "0") + wideBlueBorder),
         {110, 60},
         {{55, 30, kTransparent}, {5, 30, kBlue}, {104, 55, kBlue}}},
        {"ellipse without a line, in the default fill",
         shape(0, 0, 1500, 1500, property("shapeType", "3") + property("fLine", "0")),
         {102, 102},
         {{51, 51, kWhite}, {51, 4, kWhite}, {4, 51, kWhite}, {6, 6, kTransparent}, {96, 96, kTransparent}}},
        {"ellipse filled green, half transparent",
         shape(0, 0, 1500, 1500,
               property("shapeType", "3") + property("fLine", "0") + property("fillColor", kGreenValue) +
                   property("fillOpacity", "32768")),
         {102, 102},
         {{51, 51, QColor(0, 255, 0, 128)}}},
        {"line from the top left",
         shape(0, 0, 1500, 1500, redLine),
         {110, 110},
         {{55, 55, kRed}, {100, 100, kRed}, {100, 10, kTransparent}, {10, 100, kTransparent}}},
        {"line flipped",
         shape(0, 0, 1500, 1500, redLine + property("fFlipH", "1")),
         {110, 110},
         {{55, 55, kRed}, {100, 10, kRed}, {10, 100, kRed}, {10, 10, kTransparent}}},
        {"line given right to left",
         shape(1500, 0, 0, 1500, redLine),
         {110, 110},
         {{100, 10, kRed}, {10, 10, kTransparent}}},
        {"level line", shape(0, 300, 1500, 300, redLine), {110, 10}, {{55, 5, kRed}, {55, 0, kTransparent}}},
        // A 2-pixel line with an arrowhead at its end only, 8 pixels long and 4 wide each side.
        {"line with an arrow",
         shape(0, 300, 1500, 300,
               property("shapeType", "20") + property("lineEndArrowhead", "1") +
                   property("lineWidth", "19050")),
         {120, 20},
         {{60, 10, Qt::black},
          {104, 8, Qt::black},
          {104, 12, Qt::black},
          {12, 8, kTransparent},
          {60, 8, kTransparent}}},
        {"upright line", shape(300, 0, 300, 1500, redLine), {10, 110}, {{5, 55, kRed}}},
        // A colour of the scheme or the system keeps the default: black lines, white fill.
        {"scheme colours",
         shape(0, 0, 1500, 750,
               property("shapeType", "1") + property("fillColor", "134217792") +
                   property("lineColor", "134217792") + property("lineWidth", kWideLine)),
         {110, 60},
         {{55, 30, kWhite}, {5, 30, Qt::black}}},
        {"flow chart decision, a diamond",
         shape(0, 0, 1500, 1500, property("shapeType", "110") + property("fillColor", kRedValue)),
         {104, 104},
         {{52, 52, kRed}, {52, 6, kRed}, {8, 8, kTransparent}, {96, 96, kTransparent}}},
        {"text box without text",
         shape(0, 0, 1500, 750, property("shapeType", "202") + property("fillColor", kGreenValue)),
         {104, 54},
         {{52, 27, kGreen}}},
    };
    for (const Row& row : rows) {
        const Read got = read("{\\rtf1 " + row.shape + "}");
        ASSERT_EQ(got.images.size(), 1u) << row.name;
        const QImage& image = got.images.front();
        EXPECT_EQ(image.size(), row.size) << row.name;
        for (const Sample& sample : row.samples) {
            const QColor pixel = image.pixelColor(sample.x, sample.y);
            EXPECT_TRUE(near(pixel, sample.colour)) << row.name << " at " << sample.x << "," << sample.y
                                                    << ": " << pixel.name(QColor::HexArgb).toStdString();
        }
    }
}

// A group's children are placed in the group's own coordinates, each drawn as its own kind.
TEST(RtfShape, DrawsTheChildrenOfAGroupInItsCoordinates) {
    const std::string children =
        "{\\shp{\\*\\shpinst" + property("relLeft", "0") + property("relTop", "0") +
        property("relRight", "100") + property("relBottom", "100") + property("shapeType", "1") +
        property("fillColor", kRedValue) + property("fLine", "0") + "}}{\\shp{\\*\\shpinst" +
        property("relLeft", "100") + property("relTop", "0") + property("relRight", "200") +
        property("relBottom", "100") + property("shapeType", "3") + property("fillColor", kBlueValue) +
        property("fLine", "0") + "}}";
    const std::string space = property("groupLeft", "0") + property("groupTop", "0") +
                              property("groupRight", "200") + property("groupBottom", "100");
    const std::string group = "{\\shpgrp{\\*\\shpinst\\shpleft0\\shptop0\\shpright3000\\shpbottom1500" +
                              space + children + "}{\\shprslt{\\*\\do\\dobxcolumn\\dprect}}}";
    const Read got = read("{\\rtf1 A" + group + "B\\par}");
    EXPECT_EQ(got.text, QStringLiteral("A[202x102]B\n\n"));
    ASSERT_EQ(got.images.size(), 1u);
    const QImage& image = got.images.front();
    for (const Sample& sample :
         std::vector<Sample>{{50, 50, kRed}, {150, 50, kBlue}, {197, 4, kTransparent}}) {
        EXPECT_TRUE(near(image.pixelColor(sample.x, sample.y), sample.colour)) << sample.x << "," << sample.y;
    }
}

// A drawn shape stands where it is anchored, in place of its fallback copy; a shape that cannot be
// drawn leaves the copy to show, and text boxes keep showing their text.
TEST(RtfShape, StandsForItsFallbackOnlyWhenDrawn) {
    const std::string fallback = "{\\shprslt" + pngPicture(2, 2) + "{\\*\\do\\dobxcolumn\\dprect}}";
    const std::string rectangle = property("shapeType", "1");
    const std::pair<std::string, QString> rows[] = {
        {"{\\rtf1 Before\\par " + shape(0, 0, 300, 150, rectangle, fallback) + "After\\par}",
         QStringLiteral("Before\n[24x14]After\n\n")},
        {"{\\rtf1 A" + shape(0, 0, 300, 150, rectangle) + shape(0, 0, 150, 300, rectangle) + "B\\par}",
         QStringLiteral("A[24x14][14x24]B\n\n")},
        // Not drawn: no kind, a kind not drawn here, no size, nothing visible, text in it.
        {"{\\rtf1 A" + shape(0, 0, 300, 150, "", fallback) + "B}", QStringLiteral("A[2x2]B\n")},
        {"{\\rtf1 A" + shape(0, 0, 300, 150, property("shapeType", "136")) + "B}", QStringLiteral("AB\n")},
        {"{\\rtf1 A" + shape(0, 0, 0, 150, rectangle) + "B}", QStringLiteral("AB\n")},
        {"{\\rtf1 A" + shape(0, 0, 300, 150, rectangle + property("fFilled", "0") + property("fLine", "0")) +
             "B}",
         QStringLiteral("AB\n")},
        {"{\\rtf1 A" + shape(0, 0, 300, 150, property("shapeType", "202") + "{\\shptxt Boxed\\par}") +
             "B\\par}",
         QStringLiteral("AB\nBoxed\n\n")},
        // A file cut off in its shape still shows it.
        {"{\\rtf1 A{\\shp{\\*\\shpinst\\shpright300\\shpbottom150" + rectangle, QStringLiteral("A[24x14]\n")},
    };
    for (const auto& [rtf, text] : rows) {
        EXPECT_EQ(read(rtf).text, text) << rtf;
    }
}

// Damaged or hostile shapes stay within bounds: sides, line widths, group depth and the document's
// picture budget.
TEST(RtfShape, KeepsHostileShapesBounded) {
    const std::string rectangle = property("shapeType", "1");
    const int maxSide = RtfShapeDrawing::kMaxSide;
    // Huge and negative places, and a huge line.
    for (const std::string& rtf :
         {"{\\rtf1 " + shape(-2147483647, -2147483647, 2147483647, 2147483647, rectangle) + "}",
          "{\\rtf1 " + shape(0, 0, 1500, 1500, rectangle + property("lineWidth", "2147483647")) + "}",
          "{\\rtf1 " +
              shape(0, 0, 1500, 1500,
                    property("shapeType", "20") + property("lineEndArrowhead", "1") +
                        property("lineWidth", "99999999999999999999")) +
              "}"}) {
        const Read got = read(rtf);
        ASSERT_EQ(got.images.size(), 1u) << rtf;
        EXPECT_LE(got.images.front().width(), maxSide + 2 * RtfShape::kMaxLineWidth * 4) << rtf;
        EXPECT_LE(got.images.front().height(), maxSide + 2 * RtfShape::kMaxLineWidth * 4) << rtf;
    }

    // Children far outside their group, in a group of no extent, and groups nested deeper than drawn.
    const auto nested = [](int depth, const char* groupRight) {
        std::string inner = "{\\shp{\\*\\shpinst" + property("relRight", "2147483647") +
                            property("relBottom", "-5") + property("shapeType", "3") + "}}";
        const std::string open = "{\\shpgrp{\\*\\shpinst" + property("relRight", "100") +
                                 property("relBottom", "100") + property("groupRight", groupRight);
        for (int level = 0; level < depth; ++level) {
            inner.insert(0, open);
            inner += "}}";
        }
        return "{\\rtf1 A{\\shpgrp{\\*\\shpinst\\shpright1500\\shpbottom1500" + inner + "}}B}";
    };
    EXPECT_EQ(read(nested(3, "100")).text, QStringLiteral("A[104x104]B\n"));
    EXPECT_EQ(read(nested(3, "0")).text, QStringLiteral("A[104x104]B\n"));
    EXPECT_EQ(read(nested(50, "100")).text, QStringLiteral("AB\n"));

    // Large shapes are drawn until the document's pictures fill their budget.
    std::string many = "{\\rtf1 ";
    for (int i = 0; i < 40; ++i) {
        many += shape(0, 0, 31680, 31680, rectangle);
    }
    const Read full = read(many + "}");
    const std::int64_t perShape = std::int64_t{4} * (maxSide + 4) * (maxSide + 4);
    EXPECT_EQ(static_cast<std::int64_t>(full.images.size()), RtfReader::kMaxPictureBytes / perShape);

    // Narrow, tall shapes in paragraphs of their own, cheap in pixels, are drawn until the
    // document's layout is as tall as its budget allows.
    std::string tall = "{\\rtf1 ";
    const int tallShapes = 3000;
    for (int i = 0; i < tallShapes; ++i) {
        tall += shape(0, 0, 0, 31680, property("shapeType", "20")) + "\\par ";
    }
    QTextDocument document;
    RtfReader reader(document, QTextCharFormat());
    ASSERT_TRUE(reader.read(tall + "}"));
    EXPECT_TRUE(reader.leftOut());
    EXPECT_LE(document.blockCount(), RtfBudget::kMaxDocumentHeight / maxSide + 1);
}
