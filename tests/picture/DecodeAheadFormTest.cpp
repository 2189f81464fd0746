// The window with pictures prepared ahead behaves, step by step, as the window without.
#include "FormHarness.h"
#include "PostedEvents.h"

#include "controls/ImageControl.h"
#include "formats/image/JpegPictureData.h"
#include "formats/image/PictureFixtures.h"
#include "picture/DecodeAhead.h"

#include <QAction>
#include <QLabel>
#include <QTest>

using namespace velmoa;
using namespace velmoa::testing;

namespace {

std::string jpegFile(const QTemporaryDir& dir, const std::string& name, const std::string& bytes) {
    return velmoa::testing::writeFile(dir, name, bytes);
}

// Caption, counter, messages so far and the colour at the picture's centre, after each step.
class Recorder {
  public:
    Recorder(DecodeAhead* ahead, const std::string& opened)
        : form(FormServices{nullptr, nullptr, nullptr, nullptr, ahead}) {
        installFailureReporter(&reporter);
        form.setCommandLineFiles({opened});
        form.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
        // The opening is a call queued by the window shown: it has run once a marker behind it has.
        EXPECT_TRUE(deliverPostedEvents());
        record("opened");
    }
    ~Recorder() { installFailureReporter(nullptr); }

    void record(const std::string& what) {
        const QImage shown = form.Image2->grab().toImage();
        QCoreApplication::processEvents(); // failures found while drawing arrive
        log.push_back(what + " | " + form.windowTitle().toStdString() + " | " +
                      form.CounterPanel->text().toStdString() + " | " +
                      reporter.messages.join(" / ").toStdString() + " | " +
                      QString::number(shown.pixel(shown.width() / 2, shown.height() / 2), 16).toStdString());
    }

    RecordingReporter reporter;
    TzorvForm1 form;
    std::vector<std::string> log;
};

class DecodeAheadForm : public ::testing::Test {
  protected:
    void SetUp() override {
        const QImage colours[] = {fixtures::quadrants(320, 240), fixtures::quadrants(200, 300)};
        std::string badScan = fixtures::jpegBytes(fixtures::quadrants(64, 64), {.progressive = true});
        const std::size_t second = badScan.find("\xFF\xDA", badScan.find("\xFF\xDA") + 2);
        const std::size_t components = static_cast<unsigned char>(badScan[second + 4]);
        badScan[second + 5 + 2 * components] = 10;
        badScan[second + 6 + 2 * components] = 5;
        paths = {jpegFile(dir, "p1.jpg", fixtures::jpegBytes(colours[0])),
                 jpegFile(dir, "p2.jpg",
                          fixtures::jpegBytes(colours[1], {.app1 = fixtures::exifWithOrientation(6, false)})),
                 jpegFile(dir, "p3.jpg", badScan), jpegFile(dir, "p4.jpg", "\xFF\xD8 not a header"),
                 jpegFile(dir, "p5.jpg", fixtures::jpegBytes(colours[1]))};
    }
    QTemporaryDir dir;
    std::vector<std::string> paths;
};

} // namespace

TEST_F(DecodeAheadForm, StepsShowTheSameCaptionsCountersMessagesAndPixels) {
    auto run = [this](DecodeAhead* ahead) {
        Recorder recorder(ahead, paths[0]);
        TzorvForm1& form = recorder.form;
        QAction* const steps[] = {form.ActNext, form.ActNext, form.ActNext, form.ActNext,
                                  form.ActBack, form.ActBack, form.ActBack, form.ActStart};
        int i = 0;
        for (QAction* step : steps) {
            // Sometimes the neighbours are ready by the step, sometimes still being decoded.
            if (ahead && ++i % 2 == 0) {
                ahead->waitUntilPrepared();
            }
            step->trigger();
            recorder.record(step->objectName().toStdString());
        }
        recorder.form.ActStop->trigger();
        return recorder.log;
    };
    DecodeAhead ahead;
    const auto without = run(nullptr);
    const auto with = run(&ahead);
    EXPECT_EQ(with, without);
    ASSERT_EQ(without.size(), 9u);
    // The failures are there: the broken data at its draw, the bad header at its step.
    EXPECT_NE(without[3].find("JPEG エラー #"), std::string::npos) << without[3];
    EXPECT_GT(ahead.counts().ready + ahead.counts().running, 0);
}

TEST_F(DecodeAheadForm, TheOpenedPictureIsDecodedWhileTheWindowIsBuiltAndNotAgain) {
    DecodeAhead ahead;
    ahead.prepareOpening(paths[0], {TzorvForm1::kInitialClientSize});
    Recorder recorder(&ahead, paths[0]);
    const auto& data = dynamic_cast<const JpegPictureData&>(*recorder.form.Image2->picture().data());
    EXPECT_EQ(data.decodeCount(), 0);
    EXPECT_EQ(ahead.counts().ready + ahead.counts().running, 1);
    EXPECT_EQ(ahead.counts().missed, 0);
    EXPECT_TRUE(recorder.reporter.messages.isEmpty());
    // Its neighbours are on their way.
    EXPECT_EQ(ahead.preparedPaths(), (std::vector<std::string>{paths[1], paths[4]}));
}
