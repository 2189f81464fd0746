#include "controls/ImageControl.h"
#include "PaintCounter.h"
#include "PostedEvents.h"

#include "formats/image/JpegPictureData.h"
#include "formats/image/PictureFixtures.h"

#include <QTest>
#include <gtest/gtest.h>
#include <thread>

using namespace velmoa;
using namespace fixtures;

namespace {

// A picture whose pixels are "being decoded elsewhere" until ready is set; drawing it before then
// waits for nothing here but takes the offered pixels all the same.
struct PendingPicture {
    ReadyFlag ready;
    std::shared_ptr<int> taken = std::make_shared<int>(0);
    Picture picture;

    // As the worker that decoded them says so: from its own thread.
    void finish() {
        std::thread([flag = ready]() mutable { flag.set(); }).join();
    }

    explicit PendingPicture(QRgb colour) {
        const std::string bytes = solidJpeg(64, 48, colour);
        auto data = std::make_shared<JpegPictureData>(ByteBuffer::copyOf(bytes));
        const MemoryCodedSource source(ByteBuffer::copyOf(bytes));
        auto decode = std::make_shared<JpegDisplayDecode>(
            JpegDisplayDecode::makeFitted(source, JpegDecoder::readHeader(source), {64, 48}));
        data->offerPrepared(
            [decode, taken = taken] {
                ++*taken;
                return decode;
            },
            ready);
        picture = Picture(Picture::Kind::Jpeg, data);
    }
};

} // namespace

TEST(ImageControl, APictureStillDecodingElsewhereReplacesTheShownOneWhenItsPixelsAreReady) {
    const QRgb kRed = qRgb(255, 0, 0), kBlue = qRgb(0, 0, 255);
    const struct {
        const char* name;
        bool showingOne;
        bool pausesPainting; // until the pixels are ready
    } rows[] = {
        {"over a shown picture", true, true},
        {"over nothing: drawn at once, waiting if need be", false, false},
    };
    for (const auto& row : rows) {
        ImageControl control(nullptr, QStringLiteral("Image2"));
        control.setStretch(true);
        control.resize(64, 48);
        if (row.showingOne) {
            control.setPicture(jpegPictureFromBytes(solidJpeg(64, 48, kRed)));
        }
        control.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&control));
        PaintCounter counter;
        control.installEventFilter(&counter);

        PendingPicture pending(kBlue);
        control.setPicture(pending.picture);
        ASSERT_TRUE(deliverPostedEvents()) << row.name;
        EXPECT_EQ(counter.paints == 0, row.pausesPainting) << row.name;
        EXPECT_EQ(*pending.taken == 0, row.pausesPainting) << row.name;

        pending.finish();
        EXPECT_TRUE(QTest::qWaitFor([&] { return counter.paints > 0; }, 2000)) << row.name;
        EXPECT_EQ(*pending.taken, 1) << row.name;
        EXPECT_TRUE(near(control.grab().toImage().pixel(32, 24), kBlue)) << row.name;
    }
}

TEST(ImageControl, APaintAskedForWhileThePixelsArePendingDrawsTheNewPicture) {
    ImageControl control(nullptr, QStringLiteral("Image2"));
    control.setStretch(true);
    control.resize(64, 48);
    control.setPicture(jpegPictureFromBytes(solidJpeg(64, 48, qRgb(255, 0, 0))));
    PendingPicture pending(qRgb(0, 255, 0));
    control.setPicture(pending.picture);
    // As when the control is exposed or resized: the system's paint does not wait for the poll.
    EXPECT_TRUE(near(control.grab().toImage().pixel(32, 24), qRgb(0, 255, 0)));
    EXPECT_EQ(*pending.taken, 1);
}

TEST(ImageControl, APictureReplacedOrAControlGoneBeforeThePixelsAreReadyIsNotCalledBack) {
    const QRgb kRed = qRgb(255, 0, 0);
    for (const bool controlGoes : {false, true}) {
        auto control = std::make_unique<ImageControl>(nullptr, QStringLiteral("Image2"));
        control->resize(64, 48);
        control->setPicture(jpegPictureFromBytes(solidJpeg(64, 48, kRed)));
        PendingPicture stepped(qRgb(0, 0, 255));
        control->setPicture(stepped.picture);
        if (controlGoes) {
            control.reset();
        } else {
            // A held key steps on before the pixels are ready.
            control->setPicture(jpegPictureFromBytes(solidJpeg(64, 48, kRed)));
        }
        stepped.finish();
        ASSERT_TRUE(deliverPostedEvents()) << controlGoes;
        EXPECT_EQ(*stepped.taken, 0) << controlGoes;
    }
}
