#include "formats/metafile/MetafileLoader.h"

#include "MetafileRendering.h"
#include "base/Failure.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

using namespace velmoa;

namespace {

// The pictures LibreOffice made from tests/fixtures/metafile/shapes.svg (scripts/make-metafile-fixtures.sh).
std::string fixture(const char* name) {
    const auto path = std::filesystem::path(VELMOA_FIXTURES_DIR) / "metafile" / name;
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace

TEST(MetafileFixtures, LibreOfficePicturesMeasureAndDrawAsTheirSource) {
    const struct {
        const char* file;
        bool enhanced;
        QSize size;
    } rows[] = {
        {"shapes.wmf", false, {373, 273}}, // 9856 x 7210 hundredths of a millimetre at 96 per inch
        {"shapes.emf", true, {375, 273}},  // the same frame on a device of 373 x 273 pixels, 98 x 72 mm
    };
    for (const auto& row : rows) {
        const std::string bytes = fixture(row.file);
        ASSERT_FALSE(bytes.empty()) << row.file;
        const Picture picture = loadMetafilePicture(bytes, row.enhanced);
        EXPECT_EQ(QSize(picture.width(), picture.height()), row.size) << row.file;
        // The drawing sits 14 pixels in from the source's corner; samples at two sizes.
        for (const double scale : {1.0, 2.5}) {
            const QSize size(static_cast<int>(row.size.width() * scale),
                             static_cast<int>(row.size.height() * scale));
            const QImage image = renderMetafile(bytes, row.enhanced, size);
            const auto at = [scale](int x, int y) {
                return QPoint(static_cast<int>(x * scale), static_cast<int>(y * scale));
            };
            const struct {
                QPoint point;
                QColor colour;
            } samples[] = {
                {at(66, 46), QColor(255, 0, 0)},      // red rectangle
                {at(246, 46), QColor(0, 0, 255)},     // blue ellipse
                {at(86, 236), QColor(0, 160, 0)},     // green triangle
                {at(286, 126), QColor(0, 0, 0)},      // thick line
                {at(86, 130), QColor(255, 255, 255)}, // background between the shapes
                {at(180, 20), QColor(255, 255, 255)},
            };
            for (const auto& s : samples) {
                EXPECT_TRUE(near(image.pixel(s.point), s.colour))
                    << row.file << " x" << scale << " at " << s.point.x() << "," << s.point.y();
            }
            // 日本語テスト: ink where the text is, none above it.
            EXPECT_GT(darkPixels(image, QRect(at(176, 190), at(300, 225))), 300 * scale * scale) << row.file;
            EXPECT_EQ(darkPixels(image, QRect(at(300, 140), at(360, 165))), 0) << row.file;
        }
    }
}

TEST(MetafileFixtures, DamagedCopiesAreRefusedOrDrawnWithoutHarm) {
    std::mt19937 random(20261208); // fixed, so a failure repeats
    for (const auto& [file, enhanced] : {std::pair{"shapes.wmf", false}, std::pair{"shapes.emf", true}}) {
        const std::string original = fixture(file);
        ASSERT_FALSE(original.empty()) << file;
        for (int copy = 0; copy < 150; ++copy) {
            std::string bytes = original;
            for (int change = 0, changes = 1 + static_cast<int>(random() % 6); change < changes; ++change) {
                const std::size_t at = random() % bytes.size();
                switch (random() % 3) {
                case 0:
                    bytes[at] = static_cast<char>(random());
                    break;
                case 1:
                    bytes[at] = '\xFF';
                    break;
                default:
                    bytes.resize(std::max<std::size_t>(at, 1));
                    break;
                }
            }
            try {
                renderMetafile(bytes, enhanced, QSize(60, 45));
            } catch (const Failure& failure) {
                EXPECT_STREQ(failure.what(), "メタファイルが不正です") << file << " copy " << copy;
            }
        }
    }
}
