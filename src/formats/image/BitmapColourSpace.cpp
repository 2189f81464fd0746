#include "formats/image/BitmapColourSpace.h"

namespace velmoa {
namespace {

// Sizes of the headers that name a colour space.
constexpr std::uint32_t kV4HeaderBytes = 108;
constexpr std::uint32_t kV5HeaderBytes = 124;
// Offsets within the header.
constexpr std::size_t kTypeAt = 56;
constexpr std::size_t kEndpointsAt = 60;    // CIEXYZTRIPLE: three CIEXYZ of three FXPT2DOT30
constexpr std::size_t kGammasAt = 96;       // three FXPT16DOT16
constexpr std::size_t kIntentAt = 108;      // V5 only; V4 pictures are taken for photographs
constexpr std::size_t kProfileDataAt = 112; // from the start of the header
constexpr std::size_t kProfileSizeAt = 116;
constexpr double kTwoDotThirty = 1 << 30;
constexpr double kSixteenDotSixteen = 1 << 16;
// Larger embedded profiles are not read (profiles with large tables run to a few megabytes).
constexpr std::uint32_t kMaxProfileBytes = std::uint32_t{16} << 20;

// The header's bV5Intent values (LCS_GM_*).
enum GamutMatch : std::uint32_t {
    Business = 1,
    Graphics = 2,
    Images = 4,
    AbsoluteColorimetric = 8,
};

ColourConversion::Intent intentOf(std::uint32_t gamutMatch) {
    using Intent = ColourConversion::Intent;
    switch (gamutMatch) {
    case Business:
        return Intent::Saturation;
    case Graphics:
        return Intent::RelativeColorimetric;
    case AbsoluteColorimetric:
        return Intent::AbsoluteColorimetric;
    default:
        return Intent::Perceptual; // LCS_GM_IMAGES, and what unknown values fall back to
    }
}

std::uint32_t u32(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(
        static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8 |
        static_cast<unsigned char>(b[at + 2]) << 16 |
        static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24);
}

} // namespace

BitmapColourSpace BitmapColourSpace::read(std::string_view bytes, std::size_t headerAt,
                                          std::uint32_t headerSize, std::int64_t total) {
    BitmapColourSpace space;
    if (headerSize != kV4HeaderBytes && headerSize != kV5HeaderBytes) {
        return space;
    }
    space.type_ = u32(bytes, headerAt + kTypeAt);
    if (headerSize == kV5HeaderBytes) {
        space.intent_ = intentOf(u32(bytes, headerAt + kIntentAt));
    }
    switch (space.type_) {
    case CalibratedRgb:
        for (std::size_t primary = 0; primary < 3; ++primary) {
            for (std::size_t axis = 0; axis < 3; ++axis) {
                const auto fixed =
                    static_cast<std::int32_t>(u32(bytes, headerAt + kEndpointsAt + 12 * primary + 4 * axis));
                space.calibrated_.primaries[primary][axis] = fixed / kTwoDotThirty;
            }
            space.calibrated_.gamma[primary] =
                u32(bytes, headerAt + kGammasAt + 4 * primary) / kSixteenDotSixteen;
        }
        space.named_ = true;
        break;
    case Srgb:
    case WindowsColourSpace:
    case LinkedProfile:
        space.named_ = true;
        break;
    case EmbeddedProfile: {
        if (headerSize != kV5HeaderBytes) {
            break;
        }
        const std::int64_t at = static_cast<std::int64_t>(headerAt) + u32(bytes, headerAt + kProfileDataAt);
        const std::uint32_t size = u32(bytes, headerAt + kProfileSizeAt);
        if (size == 0 || size > kMaxProfileBytes || at + size > total) {
            break;
        }
        space.profileAt_ = static_cast<std::size_t>(at);
        space.profileSize_ = size;
        space.named_ = true;
        break;
    }
    default:
        break;
    }
    return space;
}

std::shared_ptr<const ColourConversion> BitmapColourSpace::conversion(std::string_view profile) const {
    if (!named_) {
        return nullptr;
    }
    switch (type_) {
    case CalibratedRgb:
        return ColourConversion::forCalibratedRgb(calibrated_, intent_);
    case EmbeddedProfile:
        return ColourConversion::forProfile(profile, ColourConversion::Source::Rgb32, intent_);
    default:
        // A linked profile names a file on the machine that wrote the bitmap: it is never opened
        // here, and the pixels are taken for sRGB like those of the other spaces.
        return ColourConversion::forSrgb(intent_);
    }
}

} // namespace velmoa
