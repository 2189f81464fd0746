// Pictures that carry a colour profile are shown in the display's colours; pictures without one,
// or with one that cannot be read, keep their numbers.
#include "formats/image/ColourConversion.h"
#include "formats/image/ColourFixtures.h"
#include "formats/image/IccProfile.h"
#include "formats/image/JpegDecoder.h"
#include "formats/image/PictureFixtures.h"

#include <gtest/gtest.h>
#include <lcms2.h>

#include <optional>
#include <string>
#include <vector>

using namespace velmoa;
using namespace fixtures;

namespace {

// A CMYK profile under which every ink mix shows as the one colour (a Lab colour): whatever
// the stored inks, a picture converted through it shows that colour.
std::string cmykProfileShowingOnly(const cmsCIELab& lab) {
    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(profile, 2.1); // its table is then saved as a plain lut16
    cmsSetDeviceClass(profile, cmsSigOutputClass);
    cmsSetColorSpace(profile, cmsSigCmykData);
    cmsSetPCS(profile, cmsSigLabData);
    cmsPipeline* toLab = cmsPipelineAlloc(nullptr, 4, 3);
    cmsStage* table = cmsStageAllocCLut16bit(nullptr, 2, 4, 3, nullptr);
    cmsStageSampleCLut16bit(
        table,
        [](const cmsUInt16Number[], cmsUInt16Number out[], void* cargo) -> cmsInt32Number {
            cmsFloat2LabEncoded(out, static_cast<const cmsCIELab*>(cargo));
            return 1;
        },
        const_cast<cmsCIELab*>(&lab), 0);
    cmsPipelineInsertStage(toLab, cmsAT_END, table);
    cmsWriteTag(profile, cmsSigAToB0Tag, toLab);
    cmsPipelineFree(toLab);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::string bytes(size, '\0');
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

QRgb decodedCentre(const std::string& jpeg) {
    const MemoryCodedSource source(jpeg);
    const JpegDecoder::Decoded decoded = JpegDecoder::decode(source, 8);
    return decoded.image.pixel(decoded.image.width() / 2, decoded.image.height() / 2);
}

std::string solidWithProfile(QRgb colour, const std::string& profile, bool cmyk = false) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(colour);
    JpegOptions options;
    options.quality = 100;
    options.iccProfile = profile;
    options.cmyk = cmyk;
    return jpegBytes(image, options);
}

} // namespace

TEST(ColourProfile, APictureIsShownInTheDisplaysColoursWhenItCarriesAProfile) {
    const std::string romm = profileOf(kRommRgb);
    const std::string p3 = profileOf(kDisplayP3);
    const QRgb red = qRgb(255, 0, 0);
    const QRgb rommRed = inProfile(red, romm);
    ASSERT_FALSE(near(rommRed, red, 40)) << "the wide gamut's numbers for red are not red's";
    struct Row {
        const char* label;
        QRgb stored;
        std::string profile;
        std::string display; // empty: sRGB
        QRgb shown;
    };
    const Row rows[] = {
        {"sRGB red in ROMM RGB", rommRed, romm, {}, red},
        {"sRGB red in Display P3", inProfile(red, p3), p3, {}, red},
        {"a mid grey in ROMM RGB", inProfile(qRgb(128, 128, 128), romm), romm, {}, qRgb(128, 128, 128)},
        {"no profile: the numbers as stored", rommRed, {}, {}, rommRed},
        {"a profile that cannot be read: the numbers as stored", rommRed, std::string(300, 'x'), {}, rommRed},
        {"a Display P3 display", rommRed, romm, p3, inProfile(red, p3)},
    };
    for (const Row& row : rows) {
        ColourConversion::setDisplayProfile(row.display);
        const QRgb shown = decodedCentre(solidWithProfile(row.stored, row.profile));
        EXPECT_TRUE(near(shown, row.shown, kProfileLevels))
            << row.label << ": shown " << std::hex << shown << ", expected " << row.shown;
    }
    ColourConversion::setDisplayProfile({});
}

TEST(ColourProfile, ACmykPictureIsShownThroughItsOwnProfile) {
    const cmsCIELab sRgbBlue{29.568, 68.299, -112.029}; // against the profiles' D50 white
    const std::string profile = cmykProfileShowingOnly(sRgbBlue);
    // The fixture stores the colour as inverted inks with no black, which shows as the colour itself
    // without a profile.
    const QRgb stored = qRgb(200, 180, 40);
    EXPECT_TRUE(near(decodedCentre(solidWithProfile(stored, {}, true)), stored, kProfileLevels));
    const QRgb shown = decodedCentre(solidWithProfile(stored, profile, true));
    EXPECT_TRUE(near(shown, qRgb(0, 0, 255), 8)) << std::hex << shown;
    // An RGB profile does not fit CMYK inks: the inks are shown as without one.
    EXPECT_TRUE(
        near(decodedCentre(solidWithProfile(stored, profileOf(kDisplayP3), true)), stored, kProfileLevels));
}

TEST(ColourProfile, TheChunksOfAnEmbeddedProfileAreJoinedInTheirOrderOrNotAtAll) {
    const auto chunk = [](int number, int count, const std::string& data) {
        return std::string("ICC_PROFILE\0", 12) + static_cast<char>(number) + static_cast<char>(count) + data;
    };
    struct Row {
        const char* label;
        std::vector<std::string> segments;
        std::string joined;
    };
    const Row rows[] = {
        {"one chunk", {chunk(1, 1, "abc")}, "abc"},
        {"in their order", {chunk(1, 2, "ab"), chunk(2, 2, "cd")}, "abcd"},
        {"out of their order", {chunk(2, 2, "cd"), chunk(1, 2, "ab")}, "abcd"},
        {"other APP2 data passed over", {std::string("FPXR\0data", 9), chunk(1, 1, "abc")}, "abc"},
        {"a chunk missing", {chunk(1, 3, "ab"), chunk(3, 3, "ef")}, ""},
        {"a chunk twice", {chunk(1, 2, "ab"), chunk(1, 2, "ab")}, ""},
        {"counts that differ", {chunk(1, 2, "ab"), chunk(2, 3, "cd")}, ""},
        {"chunk number 0", {chunk(0, 1, "ab")}, ""},
        {"a header cut short", {std::string("ICC_PROFILE\0\1", 13)}, ""},
        {"none", {}, ""},
    };
    for (const Row& row : rows) {
        const std::vector<std::string_view> views(row.segments.begin(), row.segments.end());
        EXPECT_EQ(joinIccProfileChunks(views), row.joined) << row.label;
    }
}
