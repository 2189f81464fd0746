#pragma once

#include <QRgb>
#include <lcms2.h>
#include <string>

// Colour profiles made at test time through Little CMS, and colours seen through them.
namespace fixtures {

// Primaries and white points as the colour standards give them (xy chromaticities).
struct Gamut {
    cmsCIExyY white;
    cmsCIExyYTRIPLE primaries;
    double gamma;
};
constexpr Gamut kRommRgb{
    {0.3457, 0.3585, 1.0}, {{0.7347, 0.2653, 1.0}, {0.1596, 0.8404, 1.0}, {0.0366, 0.0001, 1.0}}, 1.8};
constexpr Gamut kDisplayP3{
    {0.3127, 0.3290, 1.0}, {{0.680, 0.320, 1.0}, {0.265, 0.690, 1.0}, {0.150, 0.060, 1.0}}, 2.2};

// An RGB profile of the gamut, as a profile writer saves it.
std::string profileOf(const Gamut& gamut);
// The same with another tone curve than the gamut's gamma (the sRGB curve, say).
std::string profileOf(const Gamut& gamut, cmsToneCurve* curve);

// The sRGB profile as Little CMS writes it.
std::string srgbProfile();

// A table-based RGB profile whose perceptual table is the first profile's and whose colorimetric
// table is the second's, as a printer's or proofing profile differs by rendering intent.
std::string profileByIntent(const std::string& perceptual, const std::string& colorimetric);

// The numbers that show the sRGB colour in the profile's space.
QRgb inProfile(QRgb srgb, const std::string& profileBytes);

// How far a converted colour may be from the expected one, in levels of each channel.
constexpr int kProfileLevels = 4;

} // namespace fixtures
