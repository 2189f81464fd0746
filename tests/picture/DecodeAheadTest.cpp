#include "picture/DecodeAhead.h"
#include "picture/DecodeAheadPolicy.h"

#include "controls/ImageControl.h"
#include "formats/image/JpegPictureData.h"
#include "formats/image/PictureFixtures.h"
#include "formats/picture/Picture.h"
#include "picture/PictureFile.h"

#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace velmoa;
using namespace fixtures;

namespace {

const QRgb kRed = qRgb(255, 0, 0), kBlue = qRgb(0, 0, 255);
const PictureArea kWindow{QSize(640, 480)};

// A progressive JPEG whose header reads but whose second scan is invalid: it fails when decoded.
std::string badScanJpeg() {
    std::string bytes = jpegBytes(quadrants(64, 64), {.progressive = true});
    const std::size_t second = bytes.find("\xFF\xDA", bytes.find("\xFF\xDA") + 2);
    const std::size_t components = static_cast<unsigned char>(bytes[second + 4]);
    bytes[second + 5 + 2 * components] = 10; // spectral selection ending before it starts
    bytes[second + 6 + 2 * components] = 5;
    return bytes;
}

// A step as the window takes it: the file opened and read, the prepared decode offered, then drawn.
struct Step {
    Picture picture;
    QImage canvas;
    const JpegPictureData& data() const { return dynamic_cast<const JpegPictureData&>(*picture.data()); }
};
// Drawn at 640 x 480: the size the test folders' pictures are fitted to in kWindow.
Step stepOnto(DecodeAhead& ahead, const std::string& path, QSize drawn = {640, 480}) {
    Step step;
    FileIdentity identity;
    step.picture = loadPictureFile(path, &identity);
    ahead.offerTo(step.picture, path, identity);
    step.canvas = QImage(drawn, QImage::Format_RGB32);
    QPainter painter(&step.canvas);
    drawPicture(step.picture, painter, QRect(QPoint(0, 0), drawn));
    return step;
}

class DecodeAheadTest : public ::testing::Test {
  protected:
    std::vector<std::string> folder(int n, int width = 640, int height = 480) {
        std::vector<std::string> paths;
        paths.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            paths.push_back(writeFile(dir, "p" + std::to_string(i) + ".jpg", solidJpeg(width, height, kRed)));
        }
        return paths;
    }
    QTemporaryDir dir;
    RecordingReporter reporter;
    DecodeAhead ahead;
};

} // namespace

TEST(DecodeAheadPolicy, PreparesTheNextInTheDirectionOfTravelThenTheOtherNeighbour) {
    const struct {
        int count, current, direction;
        std::vector<int> wanted;
    } rows[] = {
        {0, 0, 1, {}},     {1, 0, 1, {}},      {2, 0, 1, {1}},    {2, 1, -1, {0}},
        {3, 0, 1, {1, 2}}, {3, 0, -1, {2, 1}}, {5, 4, 1, {0, 3}}, {5, 0, -1, {4, 1}},
        {5, 2, 1, {3, 1}}, {5, 2, -1, {1, 3}}, {5, 7, 1, {}},     {5, -1, 1, {}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(DecodeAheadPolicy::neighbours(row.count, row.current, row.direction), row.wanted)
            << row.count << " " << row.current << " " << row.direction;
    }
}

TEST_F(DecodeAheadTest, UsesAPreparedDecodeOnlyWhenTheStepReadsTheSameFile) {
    const auto paths = folder(3);
    ahead.prepareAround(paths, 0, +1, kWindow);
    EXPECT_EQ(ahead.preparedPaths(), (std::vector<std::string>{paths[1], paths[2]}));
    ahead.waitUntilPrepared();

    // p1 replaced by another file, p2 rewritten in place with the same length: both show new pixels.
    const std::string blue = solidJpeg(640, 480, kBlue);
    const std::string replacement = writeFile(dir, "new.tmp", blue);
    ASSERT_EQ(std::rename(replacement.c_str(), paths[1].c_str()), 0);
    std::string sameLength = blue;
    sameLength.resize(std::filesystem::file_size(paths[2]), '\0');
    writeFile(dir, "p2.jpg", sameLength);
    const struct timespec times[2] = {{0, UTIME_OMIT}, {1234567, 0}};
    ::utimensat(AT_FDCWD, paths[2].c_str(), times, 0);

    for (const std::string& path : {paths[1], paths[2]}) {
        const Step step = stepOnto(ahead, path);
        EXPECT_TRUE(near(step.canvas.pixel(320, 240), kBlue))
            << path << std::hex << step.canvas.pixel(320, 240);
        EXPECT_EQ(step.data().decodeCount(), 1) << path;
    }

    // Unchanged, a prepared picture is drawn without a decode of its own.
    ahead.prepareAround(paths, 1, +1, kWindow);
    ahead.waitUntilPrepared();
    const Step unchanged = stepOnto(ahead, paths[0]);
    EXPECT_TRUE(near(unchanged.canvas.pixel(320, 240), kRed));
    EXPECT_EQ(unchanged.data().decodeCount(), 0);
    EXPECT_EQ(ahead.counts().ready, 1);
    EXPECT_TRUE(reporter.delivered().isEmpty()) << reporter.messages.join('\n').toStdString();
}

TEST_F(DecodeAheadTest, ABrokenPictureIsReportedOnceWhenSteppedOntoNeverWhilePrepared) {
    auto paths = folder(2);
    paths.push_back(writeFile(dir, "p2.jpg", badScanJpeg()));
    paths.push_back(writeFile(dir, "p3.jpg", "\xFF\xD8 not a header"));
    ahead.prepareAround(paths, 1, +1, kWindow);
    ahead.waitUntilPrepared();
    ahead.prepareAround(paths, 0, -1, kWindow); // the bad header, then the one after
    ahead.waitUntilPrepared();
    EXPECT_TRUE(reporter.delivered().isEmpty()) << reporter.messages.join('\n').toStdString();

    ahead.prepareAround(paths, 1, +1, kWindow);
    ahead.waitUntilPrepared();
    const Step broken = stepOnto(ahead, paths[2], {64, 64});
    QPainter again(&const_cast<QImage&>(broken.canvas));
    drawPicture(broken.picture, again, QRect(0, 0, 64, 64));
    EXPECT_EQ(reporter.delivered().size(), 1);
    EXPECT_TRUE(reporter.messages.value(0).startsWith(QStringLiteral("JPEG エラー #")));
}

TEST_F(DecodeAheadTest, StaleWorkGoesAtOnceAndNoMoreThanTwoArePrepared) {
    const auto paths = folder(6);
    // A key held down: each step moves past what the one before prepared.
    for (int i = 0; i < 12; ++i) {
        const int current = i % 6;
        ahead.prepareAround(paths, current, +1, kWindow);
        const auto wanted = DecodeAheadPolicy::neighbours(6, current, +1);
        const std::vector<std::string> expected = {paths[static_cast<std::size_t>(wanted[0])],
                                                   paths[static_cast<std::size_t>(wanted[1])]};
        EXPECT_EQ(ahead.preparedPaths(), expected) << i;
    }
    // Another folder: nothing of this one stays.
    ahead.keepOnlyFolder("/elsewhere/");
    EXPECT_TRUE(ahead.preparedPaths().empty());

    // A picture opened in this folder keeps its preparation through the listing of its folder.
    ahead.prepareOpening(paths[3], kWindow);
    ahead.keepOnlyFolder(dir.path().toStdString() + "/");
    EXPECT_EQ(ahead.preparedPaths(), std::vector<std::string>{paths[3]});
    const Step opened = stepOnto(ahead, paths[3]);
    EXPECT_EQ(opened.data().decodeCount(), 0);
    EXPECT_TRUE(ahead.preparedPaths().empty());
}

TEST_F(DecodeAheadTest, APreparationLastsWhileItsPictureKeepsItsSizeInTheArea) {
    // 2000 x 1500 is fitted to 640 x 480 in kWindow, decoded at 3/8 and resampled to that size.
    const struct {
        const char* name;
        QSize client;
        QSize drawn;
        int decodeCount; // 0: the preparation made for kWindow was used
        int scale;
    } rows[] = {
        {"wider, the height now limits", {1000, 480}, {640, 480}, 0, 3},
        {"narrower", {600, 480}, {600, 450}, 0, 3},
        {"full screen", {1920, 1080}, {1440, 1080}, 0, 6},
    };
    const auto paths = folder(2, 2000, 1500);
    for (const auto& row : rows) {
        ahead.prepareAround(paths, 0, +1, kWindow);
        ahead.waitUntilPrepared();
        ahead.prepareAround(paths, 0, +1, {row.client});
        ahead.waitUntilPrepared();
        const Step step = stepOnto(ahead, paths[1], row.drawn);
        EXPECT_EQ(step.data().decodeCount(), row.decodeCount) << row.name;
        EXPECT_EQ(step.data().decodedScale(), row.scale) << row.name;
        EXPECT_TRUE(near(step.canvas.pixel(row.drawn.width() - 1, row.drawn.height() - 1), kRed)) << row.name;
    }
    EXPECT_EQ(ahead.counts().ready, 3);
    EXPECT_EQ(ahead.counts().missed, 0);
}

TEST_F(DecodeAheadTest, APreparedPictureKeepsOnlyItsShownSizeAndDecodesOnceDrawnAtAnother) {
    const auto paths = folder(2, 2000, 1500);
    ahead.prepareAround(paths, 0, +1, kWindow);
    ahead.waitUntilPrepared();
    const Step step = stepOnto(ahead, paths[1]);
    EXPECT_EQ(step.data().decodeCount(), 0);
    // Another size (the window resized): one decode, then it serves every smaller size.
    for (const QSize drawn : {QSize(600, 450), QSize(400, 300), QSize(640, 480)}) {
        QImage canvas(drawn, QImage::Format_RGB32);
        QPainter painter(&canvas);
        drawPicture(step.picture, painter, QRect(QPoint(0, 0), drawn));
        EXPECT_TRUE(near(canvas.pixel(drawn.width() / 2, drawn.height() / 2), kRed)) << drawn.width();
        EXPECT_EQ(step.data().decodeCount(), 1) << drawn.width();
    }
}
