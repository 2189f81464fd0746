#include "formats/richtext/RtfReader.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>
#include <gtest/gtest.h>

using namespace velmoa;

namespace {

// What the reader asked the decoder for; the decoder answers with an image of a given size.
struct Request {
    RtfPicture::Format format;
    std::string bytes;
    int width, height, bitsPerPixel, planes, widthBytes;
    QSize shownSize;
    std::int64_t maxPixels;
};

struct RecordingDecoder {
    QSize answer{4, 2};
    std::vector<Request> requests;

    RtfPictureDecoder decoder() {
        return [this](const RtfPicture& p, QSize shown, std::int64_t maxPixels) {
            requests.push_back({p.format, std::string(p.bytes), p.width, p.height, p.bitsPerPixel, p.planes,
                                p.widthBytes, shown, maxPixels});
            QImage image(answer, QImage::Format_RGB32);
            image.fill(Qt::green);
            return image;
        };
    }
};

// The images placed in the document, in order: their shown sizes.
std::vector<QSizeF> placedImages(QTextDocument& document) {
    std::vector<QSizeF> sizes;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextImageFormat format = it.fragment().charFormat().toImageFormat();
            if (format.isValid()) {
                sizes.emplace_back(format.width(), format.height());
            }
        }
    }
    return sizes;
}

} // namespace

// The pictures a word processor on Windows writes: each reaches the decoder with its own words, and
// shows at the size the document gives it.
TEST(RtfPicture, HandsMetafilesAndBitmapsToTheDecoderWithTheirSizes) {
    using F = RtfPicture::Format;
    const struct {
        const char* name;
        std::string pict;
        Request expected;
        QSizeF shown;
    } rows[] = {
        {"WMF, extent in hundredths of a millimetre, goal in twips",
         "\\wmetafile8\\picw2540\\pich1270\\picwgoal1440\\pichgoal720 0102ab",
         {F::Wmf, "\x01\x02\xab", 2540, 1270, 1, 1, 0, QSize(96, 48), 0},
         {96, 48}},
        {"WMF without a goal: its extent at 96 pixels an inch, scaled",
         "\\wmetafile8\\picw2540\\pich2540\\picscalex50 00",
         {F::Wmf, std::string(1, '\0'), 2540, 2540, 1, 1, 0, QSize(48, 96), 0},
         {48, 96}},
        {"EMF",
         "\\emfblip\\picwgoal300\\pichgoal150 0a0b",
         {F::Emf, "\x0a\x0b", 0, 0, 1, 1, 0, QSize(20, 10), 0},
         {20, 10}},
        {"device-independent bitmap at its own size",
         "\\dibitmap0\\picw4\\pich2 28",
         {F::Dib, "\x28", 4, 2, 1, 1, 0, QSize(), 0},
         {4, 2}},
        {"device-dependent bitmap with its shape",
         "\\wbitmap0\\picw4\\pich2\\wbmbitspixel24\\wbmplanes1\\wbmwidthbytes12\\picwgoal120\\pichgoal60 ff",
         {F::DeviceBitmap, "\xff", 4, 2, 24, 1, 12, QSize(8, 4), 0},
         {8, 4}},
    };
    for (const auto& row : rows) {
        RecordingDecoder recorder;
        QTextDocument document;
        // Word keeps an old copy of each picture beside it for older readers: it is not shown twice.
        ASSERT_TRUE(readRtf("{\\rtf1 x{\\*\\shppict{\\pict" + row.pict +
                                "}}{\\nonshppict{\\pict\\wmetafile8\\picw10\\pich10 0100}}y}",
                            document, QTextCharFormat(), recorder.decoder()));
        ASSERT_EQ(recorder.requests.size(), 1u) << row.name;
        const Request& got = recorder.requests.front();
        EXPECT_EQ(got.format, row.expected.format) << row.name;
        EXPECT_EQ(got.bytes, row.expected.bytes) << row.name;
        EXPECT_EQ(got.width, row.expected.width) << row.name;
        EXPECT_EQ(got.height, row.expected.height) << row.name;
        EXPECT_EQ(got.bitsPerPixel, row.expected.bitsPerPixel) << row.name;
        EXPECT_EQ(got.widthBytes, row.expected.widthBytes) << row.name;
        EXPECT_EQ(got.shownSize, row.expected.shownSize) << row.name;
        EXPECT_EQ(document.toPlainText(), QStringLiteral("x\uFFFCy")) << row.name;
        EXPECT_EQ(placedImages(document), std::vector<QSizeF>{row.shown}) << row.name;
    }
}

TEST(RtfPicture, KeepsEveryPictureWithinTheDocumentsBudget) {
    RecordingDecoder recorder;
    recorder.answer = QSize(1000, 1000);
    std::string rtf = "{\\rtf1 ";
    const int pictures = 3;
    for (int i = 0; i < pictures; ++i) {
        rtf += "{\\pict\\dibitmap0 00}";
    }
    QTextDocument document;
    ASSERT_TRUE(readRtf(rtf + "}", document, QTextCharFormat(), recorder.decoder()));
    ASSERT_EQ(recorder.requests.size(), 3u);
    const std::int64_t budget = RtfReader::kMaxPictureBytes / 4;
    for (int i = 0; i < pictures; ++i) {
        // Each picture is offered what the ones before it left.
        EXPECT_EQ(recorder.requests[static_cast<std::size_t>(i)].maxPixels,
                  budget - std::int64_t{i} * 1'000'000)
            << i;
    }

    // Without a decoder such pictures are left out.
    QTextDocument without;
    ASSERT_TRUE(readRtf("{\\rtf1 a{\\pict\\wmetafile8\\picw10\\pich10 00}b}", without, QTextCharFormat()));
    EXPECT_EQ(without.toPlainText(), QStringLiteral("ab"));
}
