#include "formats/image/ColourConversion.h"

#include <QSysInfo>
#include <algorithm>
#include <deque>
#include <lcms2.h>
#include <mutex>
#include <utility>

namespace velmoa {
namespace {

// QImage's RGB32 pixel in memory order.
constexpr cmsUInt32Number kRgb32Layout =
    QSysInfo::ByteOrder == QSysInfo::LittleEndian ? TYPE_BGRA_8 : TYPE_ARGB_8;
constexpr QRgb kOpaque = 0xff000000u;
// Profiles whose conversion is kept: the pictures of a folder mostly share one or two.
constexpr std::size_t kKeptConversions = 4;

struct Kept {
    std::string profile;
    ColourConversion::Source source;
    ColourConversion::Intent intent;
    std::shared_ptr<const ColourConversion> conversion;
};

struct Cache {
    std::mutex lock;
    std::string displayProfile;
    std::deque<Kept> kept; // most recent first
};

Cache& cache() {
    static Cache shared;
    return shared;
}

struct ProfileCloser {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using ProfileHandle = std::unique_ptr<void, ProfileCloser>;

ProfileHandle openProfile(std::string_view bytes) {
    return ProfileHandle(
        bytes.empty() ? cmsCreate_sRGBProfile()
                      : cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size())));
}

// The profile's bytes: conversions are kept by them.
std::string savedProfile(const ProfileHandle& profile) {
    cmsUInt32Number size = 0;
    if (!profile || !cmsSaveProfileToMem(profile.get(), nullptr, &size)) {
        return {};
    }
    std::string bytes(size, '\0');
    if (!cmsSaveProfileToMem(profile.get(), bytes.data(), &size)) {
        return {};
    }
    return bytes;
}

struct CurveFreer {
    void operator()(cmsToneCurve* curve) const { cmsFreeToneCurve(curve); }
};
using CurveHandle = std::unique_ptr<cmsToneCurve, CurveFreer>;

// A matrix-shaper profile of the calibrated space; empty when the space cannot be one.
std::string calibratedProfile(const ColourConversion::CalibratedRgb& space) {
    cmsCIEXYZ white{0, 0, 0};
    std::array<cmsCIExyY, 3> primaries{};
    for (std::size_t i = 0; i < primaries.size(); ++i) {
        const cmsCIEXYZ xyz{space.primaries[i][0], space.primaries[i][1], space.primaries[i][2]};
        // A primary adapted to another white may go a little below zero in X or Z, never in Y.
        if (!(xyz.Y > 0 && xyz.X + xyz.Y + xyz.Z > 0) || !(space.gamma[i] > 0)) {
            return {};
        }
        cmsXYZ2xyY(&primaries[i], &xyz);
        white.X += xyz.X;
        white.Y += xyz.Y;
        white.Z += xyz.Z;
    }
    cmsCIExyY whitePoint{};
    cmsXYZ2xyY(&whitePoint, &white);
    const cmsCIExyYTRIPLE triple{primaries[0], primaries[1], primaries[2]};
    const std::array<CurveHandle, 3> curves{CurveHandle(cmsBuildGamma(nullptr, space.gamma[0])),
                                            CurveHandle(cmsBuildGamma(nullptr, space.gamma[1])),
                                            CurveHandle(cmsBuildGamma(nullptr, space.gamma[2]))};
    if (!curves[0] || !curves[1] || !curves[2]) {
        return {};
    }
    cmsToneCurve* const transfer[3] = {curves[0].get(), curves[1].get(), curves[2].get()};
    // Primaries on one line give no profile.
    return savedProfile(ProfileHandle(cmsCreateRGBProfile(&whitePoint, &triple, transfer)));
}

cmsUInt32Number lcmsIntent(ColourConversion::Intent intent) {
    switch (intent) {
    case ColourConversion::Intent::RelativeColorimetric:
        return INTENT_RELATIVE_COLORIMETRIC;
    case ColourConversion::Intent::Saturation:
        return INTENT_SATURATION;
    case ColourConversion::Intent::AbsoluteColorimetric:
        return INTENT_ABSOLUTE_COLORIMETRIC;
    case ColourConversion::Intent::Perceptual:
        break;
    }
    return INTENT_PERCEPTUAL;
}

} // namespace

ColourConversion::~ColourConversion() {
    cmsDeleteTransform(transform_);
}

void ColourConversion::setDisplayProfile(std::string iccProfile) {
    Cache& shared = cache();
    const std::lock_guard guard(shared.lock);
    shared.displayProfile = std::move(iccProfile);
    shared.kept.clear();
}

std::shared_ptr<const ColourConversion> ColourConversion::forProfile(std::string_view iccProfile,
                                                                     Source source, Intent intent) {
    if (iccProfile.empty()) {
        return nullptr;
    }
    Cache& shared = cache();
    const std::lock_guard guard(shared.lock);
    const auto found = std::find_if(shared.kept.begin(), shared.kept.end(), [&](const Kept& kept) {
        return kept.source == source && kept.intent == intent && kept.profile == iccProfile;
    });
    if (found != shared.kept.end()) {
        Kept again = *found;
        shared.kept.erase(found);
        shared.kept.push_front(std::move(again));
        return shared.kept.front().conversion;
    }
    // A profile that cannot be used is kept as such too: it is not read again for every picture.
    shared.kept.push_front(
        {std::string(iccProfile), source, intent, make(iccProfile, source, intent, shared.displayProfile)});
    if (shared.kept.size() > kKeptConversions) {
        shared.kept.pop_back();
    }
    return shared.kept.front().conversion;
}

std::shared_ptr<const ColourConversion> ColourConversion::forCalibratedRgb(const CalibratedRgb& space,
                                                                           Intent intent) {
    const std::string profile = calibratedProfile(space);
    return profile.empty() ? nullptr : forProfile(profile, Source::Rgb32, intent);
}

std::shared_ptr<const ColourConversion> ColourConversion::forSrgb(Intent intent) {
    {
        Cache& shared = cache();
        const std::lock_guard guard(shared.lock);
        if (shared.displayProfile.empty()) {
            return nullptr;
        }
    }
    static const std::string srgb = savedProfile(openProfile({}));
    return forProfile(srgb, Source::Rgb32, intent);
}

std::shared_ptr<const ColourConversion> ColourConversion::make(std::string_view iccProfile, Source source,
                                                               Intent intent,
                                                               const std::string& displayProfile) {
    const ProfileHandle embedded = openProfile(iccProfile);
    ProfileHandle display = openProfile(displayProfile);
    if (!display) {
        display = openProfile({});
    }
    if (!embedded || !display) {
        return nullptr;
    }
    const cmsColorSpaceSignature wanted = source == Source::Rgb32 ? cmsSigRgbData : cmsSigCmykData;
    if (cmsGetColorSpace(embedded.get()) != wanted || cmsGetColorSpace(display.get()) != cmsSigRgbData) {
        return nullptr;
    }
    const cmsUInt32Number inLayout = source == Source::Rgb32 ? kRgb32Layout : TYPE_CMYK_8_REV;
    // No cache inside the transform: it is then safe to use from several threads at once.
    cmsHTRANSFORM transform = cmsCreateTransform(embedded.get(), inLayout, display.get(), kRgb32Layout,
                                                 lcmsIntent(intent), cmsFLAGS_NOCACHE);
    if (!transform) {
        return nullptr;
    }
    return std::shared_ptr<const ColourConversion>(new ColourConversion(transform, source));
}

void ColourConversion::convertRow(const void* in, QRgb* out, int width) const {
    cmsDoTransform(transform_, in, out, static_cast<cmsUInt32Number>(width));
    if (source_ == Source::InvertedCmyk8) {
        // Nothing was written to the alpha bytes.
        for (int x = 0; x < width; ++x) {
            out[x] |= kOpaque;
        }
    }
}

} // namespace velmoa
