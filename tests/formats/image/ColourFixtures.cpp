#include "ColourFixtures.h"

namespace fixtures {

std::string profileOf(const Gamut& gamut, cmsToneCurve* curve) {
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&gamut.white, &gamut.primaries, curves);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::string bytes(size, '\0');
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

std::string profileOf(const Gamut& gamut) {
    cmsToneCurve* curve = cmsBuildGamma(nullptr, gamut.gamma);
    std::string bytes = profileOf(gamut, curve);
    cmsFreeToneCurve(curve);
    return bytes;
}

QRgb inProfile(QRgb srgb, const std::string& profileBytes) {
    cmsHPROFILE from = cmsCreate_sRGBProfile();
    cmsHPROFILE to =
        cmsOpenProfileFromMem(profileBytes.data(), static_cast<cmsUInt32Number>(profileBytes.size()));
    cmsHTRANSFORM transform = cmsCreateTransform(from, TYPE_RGB_8, to, TYPE_RGB_8, INTENT_PERCEPTUAL, 0);
    const unsigned char in[3] = {static_cast<unsigned char>(qRed(srgb)),
                                 static_cast<unsigned char>(qGreen(srgb)),
                                 static_cast<unsigned char>(qBlue(srgb))};
    unsigned char out[3] = {};
    cmsDoTransform(transform, in, out, 1);
    cmsDeleteTransform(transform);
    cmsCloseProfile(to);
    cmsCloseProfile(from);
    return qRgb(out[0], out[1], out[2]);
}

} // namespace fixtures
