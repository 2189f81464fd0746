#include "ColourFixtures.h"

#include <utility>

namespace fixtures {
namespace {

// Grid points per channel of the tables: the primaries and white fall on them.
constexpr cmsUInt32Number kGridPoints = 9;

int sampleThrough(const cmsUInt16Number in[], cmsUInt16Number out[], void* transform) {
    cmsDoTransform(static_cast<cmsHTRANSFORM>(transform), in, out, 1);
    return TRUE;
}

// The profile's RGB to Lab as a colour table, between the identity curves a table-based profile
// must have around it.
cmsPipeline* labTableOf(const std::string& profileBytes) {
    cmsHPROFILE profile =
        cmsOpenProfileFromMem(profileBytes.data(), static_cast<cmsUInt32Number>(profileBytes.size()));
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    cmsHTRANSFORM toLab =
        cmsCreateTransform(profile, TYPE_RGB_16, lab, TYPE_Lab_16, INTENT_RELATIVE_COLORIMETRIC, 0);
    cmsPipeline* table = cmsPipelineAlloc(nullptr, 3, 3);
    cmsStage* grid = cmsStageAllocCLut16bit(nullptr, kGridPoints, 3, 3, nullptr);
    cmsStageSampleCLut16bit(grid, sampleThrough, toLab, 0);
    cmsPipelineInsertStage(table, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
    cmsPipelineInsertStage(table, cmsAT_END, grid);
    cmsPipelineInsertStage(table, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
    cmsDeleteTransform(toLab);
    cmsCloseProfile(lab);
    cmsCloseProfile(profile);
    return table;
}

std::string saved(cmsHPROFILE profile) {
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::string bytes(size, '\0');
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

} // namespace

std::string profileOf(const Gamut& gamut, cmsToneCurve* curve) {
    cmsToneCurve* curves[3] = {curve, curve, curve};
    return saved(cmsCreateRGBProfile(&gamut.white, &gamut.primaries, curves));
}

std::string profileOf(const Gamut& gamut) {
    cmsToneCurve* curve = cmsBuildGamma(nullptr, gamut.gamma);
    std::string bytes = profileOf(gamut, curve);
    cmsFreeToneCurve(curve);
    return bytes;
}

std::string srgbProfile() {
    return saved(cmsCreate_sRGBProfile());
}

std::string profileByIntent(const std::string& perceptual, const std::string& colorimetric) {
    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(profile, 4.3);
    cmsSetDeviceClass(profile, cmsSigDisplayClass);
    cmsSetColorSpace(profile, cmsSigRgbData);
    cmsSetPCS(profile, cmsSigLabData);
    cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    const std::pair<cmsTagSignature, const std::string*> tables[] = {{cmsSigAToB0Tag, &perceptual},
                                                                     {cmsSigAToB1Tag, &colorimetric}};
    for (const auto& [tag, source] : tables) {
        cmsPipeline* table = labTableOf(*source);
        cmsWriteTag(profile, tag, table);
        cmsPipelineFree(table);
    }
    return saved(profile);
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
