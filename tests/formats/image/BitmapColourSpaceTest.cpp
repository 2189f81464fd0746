// Bitmaps whose V4 or V5 header names a colour space are shown in the display's colours, however
// the bitmap arrives; a space that cannot be had leaves the numbers as stored.
#include "formats/image/BitmapColourSpace.h"
#include "formats/image/BitmapDecoder.h"
#include "formats/image/ColourFixtures.h"
#include "formats/image/PictureFixtures.h"

#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <cmath>
#include <gtest/gtest.h>

using namespace velmoa;
using namespace fixtures;

namespace {

constexpr int kV4 = 108;
constexpr int kV5 = 124;
// Wide enough that the pixels run past the first bytes a streamed decode reads.
constexpr int kWidth = 200;
constexpr int kHeight = 120;
constexpr std::uint32_t kPixelBytes = kWidth * 3 * kHeight;

using Endpoints = std::array<cmsCIEXYZ, 3>;

// The colour space fields of a V5 header (a V4 header keeps those up to the gammas).
// The header's rendering intents (LCS_GM_*).
constexpr std::uint32_t kSaturation = 1;
constexpr std::uint32_t kRelativeColorimetric = 2;
constexpr std::uint32_t kPerceptual = 4;
constexpr std::uint32_t kAbsoluteColorimetric = 8;

std::string fields(std::uint32_t type, const Endpoints& endpoints = {}, double gamma = 0,
                   std::uint32_t profileAt = 0, std::uint32_t profileSize = 0,
                   std::uint32_t intent = kPerceptual) {
    std::string out = le32(type);
    for (const cmsCIEXYZ& xyz : endpoints) {
        for (const double v : {xyz.X, xyz.Y, xyz.Z}) {
            out += le32(static_cast<std::uint32_t>(std::lround(std::ldexp(v, 30))));
        }
    }
    const std::string fixedGamma = le32(static_cast<std::uint32_t>(std::lround(std::ldexp(gamma, 16))));
    return out + fixedGamma + fixedGamma + fixedGamma + le32(intent) + le32(profileAt) + le32(profileSize) +
           le32(0);
}

// The primaries of a profile written from a gamut, as XYZ a calibrated header gives them.
Endpoints colorantsOf(const std::string& profileBytes) {
    cmsHPROFILE profile =
        cmsOpenProfileFromMem(profileBytes.data(), static_cast<cmsUInt32Number>(profileBytes.size()));
    Endpoints out{};
    const cmsTagSignature tags[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag};
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = *static_cast<const cmsCIEXYZ*>(cmsReadTag(profile, tags[i]));
    }
    cmsCloseProfile(profile);
    return out;
}

Dib solid(int headerSize, QRgb colour, std::string colourSpace, std::string trailer) {
    Dib dib;
    dib.headerSize = headerSize;
    dib.width = kWidth;
    dib.height = kHeight;
    dib.rows.assign(kHeight, bgr(std::vector<QRgb>(kWidth, colour)));
    dib.colourSpace = std::move(colourSpace);
    dib.trailer = std::move(trailer);
    return dib;
}

// The file read through its first bytes and then piece by piece, as pictures are opened.
QImage streamed(const std::string& file) {
    const std::string prefix = file.substr(0, BitmapDecoder::kPrefixBytes);
    std::size_t at = prefix.size();
    return BitmapDecoder::decodeFile(prefix, static_cast<std::int64_t>(file.size()), [&](std::size_t n) {
        std::string more = file.substr(std::min(at, file.size()), n);
        at += more.size();
        return more;
    });
}

} // namespace

TEST(BitmapColourSpace, ABitmapIsShownInTheDisplaysColoursOfTheSpaceItsHeaderNames) {
    const std::string romm = profileOf(kRommRgb);
    const std::string p3 = profileOf(kDisplayP3);
    const QRgb red = qRgb(255, 0, 0);
    const QRgb rommRed = inProfile(red, romm);
    ASSERT_FALSE(near(rommRed, red, 40)) << "the wide gamut's numbers for red are not red's";
    const QRgb p3Red = inProfile(red, p3);
    const QTemporaryDir dir;
    const std::string linkedFile = writeFile(dir, "romm.icc", romm);

    // Offsets count from the start of the info header; a trailer follows the pixels.
    const std::uint32_t afterPixels = kV5 + kPixelBytes;
    const auto size = [](const std::string& s) { return static_cast<std::uint32_t>(s.size()); };
    using Type = BitmapColourSpace::Type;
    struct Row {
        const char* label;
        int headerSize;
        std::string colourSpace;
        std::string trailer;
        QRgb stored;
        std::string display; // empty: sRGB
        QRgb shown;
    };
    const Row rows[] = {
        {"an embedded ROMM RGB profile",
         kV5,
         fields(Type::EmbeddedProfile, {}, 0, afterPixels, size(romm)),
         romm,
         rommRed,
         {},
         red},
        {"an embedded Display P3 profile",
         kV5,
         fields(Type::EmbeddedProfile, {}, 0, afterPixels, size(p3)),
         p3,
         p3Red,
         {},
         red},
        {"an embedded profile on a Display P3 display", kV5,
         fields(Type::EmbeddedProfile, {}, 0, afterPixels, size(romm)), romm, rommRed, p3, p3Red},
        {"calibrated RGB of ROMM's primaries and gamma",
         kV4,
         fields(Type::CalibratedRgb, colorantsOf(romm), kRommRgb.gamma),
         {},
         rommRed,
         {},
         red},
        {"calibrated RGB of Display P3's in a V5 header",
         kV5,
         fields(Type::CalibratedRgb, colorantsOf(p3), kDisplayP3.gamma),
         {},
         p3Red,
         {},
         red},
        {"calibrated RGB left zero, as some writers leave it",
         kV5,
         fields(Type::CalibratedRgb),
         {},
         rommRed,
         {},
         rommRed},
        {"sRGB on an sRGB display", kV5, fields(Type::Srgb), {}, rommRed, {}, rommRed},
        {"the Windows colour space on an sRGB display",
         kV4,
         fields(Type::WindowsColourSpace),
         {},
         rommRed,
         {},
         rommRed},
        {"sRGB on a Display P3 display", kV5, fields(Type::Srgb), {}, red, p3, p3Red},
        {"a linked profile is never opened",
         kV5,
         fields(Type::LinkedProfile, {}, 0, afterPixels, size(linkedFile)),
         linkedFile,
         rommRed,
         {},
         rommRed},
        {"a linked profile is taken for sRGB", kV5,
         fields(Type::LinkedProfile, {}, 0, afterPixels, size(linkedFile)), linkedFile, red, p3, p3Red},
        {"an embedded profile past the end",
         kV5,
         fields(Type::EmbeddedProfile, {}, 0, afterPixels + size(romm), size(romm)),
         romm,
         rommRed,
         {},
         rommRed},
        {"an embedded profile longer than the file",
         kV5,
         fields(Type::EmbeddedProfile, {}, 0, afterPixels, size(romm) + 1),
         romm,
         rommRed,
         {},
         rommRed},
        {"an embedded profile's offset that wraps",
         kV5,
         fields(Type::EmbeddedProfile, {}, 0, 0xFFFFFFF0u, size(romm)),
         romm,
         rommRed,
         {},
         rommRed},
        {"an embedded profile of its largest size",
         kV5,
         fields(Type::EmbeddedProfile, {}, 0, afterPixels, ~0u),
         romm,
         rommRed,
         {},
         rommRed},
        {"an embedded profile that cannot be read",
         kV5,
         fields(Type::EmbeddedProfile, {}, 0, afterPixels, 300),
         std::string(300, 'x'),
         rommRed,
         {},
         rommRed},
        {"an embedded profile in a V4 header, which has no room for one",
         kV4,
         fields(Type::EmbeddedProfile, {}, 0, afterPixels, size(romm)),
         romm,
         rommRed,
         {},
         rommRed},
    };
    for (const Row& row : rows) {
        ColourConversion::setDisplayProfile(row.display);
        const Dib dib = solid(row.headerSize, row.stored, row.colourSpace, row.trailer);
        const std::string file = bmpFile(dib);
        const struct {
            const char* how;
            QImage image;
        } decodes[] = {
            {"whole file", BitmapDecoder::decodeFile(file)},
            {"streamed", streamed(file)},
            {"packed", BitmapDecoder::decodePackedDib(dibBytes(dib))},
        };
        for (const auto& decoded : decodes) {
            const QRgb shown = decoded.image.pixel(kWidth / 2, kHeight / 2);
            EXPECT_TRUE(near(shown, row.shown, kProfileLevels))
                << row.label << ", " << decoded.how << ": shown " << std::hex << shown << ", expected "
                << row.shown;
        }
    }
    ColourConversion::setDisplayProfile({});
}

TEST(BitmapColourSpace, TheHeadersRenderingIntentChoosesTheProfilesTable) {
    // The perceptual table reads the numbers as ROMM RGB, the colorimetric one as sRGB: ROMM's
    // numbers for red show red by the one and stay as they are by the other.
    const std::string romm = profileOf(kRommRgb);
    const std::string byIntent = profileByIntent(romm, srgbProfile());
    const QRgb red = qRgb(255, 0, 0);
    const QRgb rommRed = inProfile(red, romm);
    ASSERT_FALSE(near(rommRed, red, 40));
    struct Row {
        const char* label;
        std::uint32_t intent;
        QRgb shown;
    };
    const Row rows[] = {
        {"images", kPerceptual, red},
        {"graphics", kRelativeColorimetric, rommRed},
        {"absolute colorimetric", kAbsoluteColorimetric, rommRed},
        {"business, for which the profile has no table of its own", kSaturation, red},
        {"an intent of no known kind", 3, red},
    };
    const std::uint32_t afterPixels = kV5 + kPixelBytes;
    const auto profileSize = static_cast<std::uint32_t>(byIntent.size());
    for (const Row& row : rows) {
        const Dib dib =
            solid(kV5, rommRed,
                  fields(BitmapColourSpace::EmbeddedProfile, {}, 0, afterPixels, profileSize, row.intent),
                  byIntent);
        const QRgb shown = BitmapDecoder::decodeFile(bmpFile(dib)).pixel(kWidth / 2, kHeight / 2);
        EXPECT_TRUE(near(shown, row.shown, kProfileLevels))
            << row.label << ": shown " << std::hex << shown << ", expected " << row.shown;
    }
}
