#pragma once

#include <QRgb>
#include <array>
#include <memory>
#include <string>
#include <string_view>

namespace velmoa {

// Converts the colours of a picture that carries its own ICC profile into the display's (sRGB
// unless a display profile is given), through Little CMS. Pictures without a profile are not
// converted at all. A conversion may be used from several threads at once.
class ColourConversion {
  public:
    // How the pixels to convert are laid out.
    enum class Source {
        Rgb32,         // QImage::Format_RGB32 rows, converted in place
        InvertedCmyk8, // four bytes a pixel, 255 meaning no ink (Adobe's CMYK JPEGs)
    };
    // What the conversion keeps of colours outside the display's gamut, as the picture asks.
    enum class Intent {
        Perceptual,           // the whole gamut squeezed in: photographs
        RelativeColorimetric, // colours inside kept exactly, those outside clipped: graphics
        Saturation,           // vivid colours: charts
        AbsoluteColorimetric, // also the paper's white kept: proofs
    };

    ~ColourConversion();
    ColourConversion(const ColourConversion&) = delete;
    ColourConversion& operator=(const ColourConversion&) = delete;

    // The profile pictures are converted to; empty means sRGB. Set by the window on start-up,
    // before pictures are decoded.
    static void setDisplayProfile(std::string iccProfile);

    // The conversion from a picture's embedded profile to the display's; null when the profile is
    // missing, cannot be read, or does not fit the pixels (a CMYK profile for RGB pixels...).
    // Conversions are kept for the profiles last asked for, as a folder's pictures share theirs.
    static std::shared_ptr<const ColourConversion> forProfile(std::string_view iccProfile, Source source,
                                                              Intent intent = Intent::Perceptual);

    // An RGB space given by the CIE XYZ of its primaries at full strength (their sum being its
    // white) and each channel's gamma, as a calibrated bitmap header describes it.
    struct CalibratedRgb {
        std::array<std::array<double, 3>, 3> primaries{}; // red, green, blue; X, Y, Z each
        std::array<double, 3> gamma{};                    // red, green, blue
    };
    // The conversion of Rgb32 pixels in that space to the display's; null when the space cannot
    // be one (zero primaries, as some writers leave them, or no gamma).
    static std::shared_ptr<const ColourConversion> forCalibratedRgb(const CalibratedRgb& space,
                                                                    Intent intent = Intent::Perceptual);

    // The conversion of Rgb32 pixels said to be sRGB; null when the display is sRGB too.
    static std::shared_ptr<const ColourConversion> forSrgb(Intent intent = Intent::Perceptual);

    // Converts one row of width pixels; for Rgb32, in and out may be the same row.
    void convertRow(const void* in, QRgb* out, int width) const;

  private:
    ColourConversion(void* transform, Source source) : transform_(transform), source_(source) {}
    static std::shared_ptr<const ColourConversion> make(std::string_view iccProfile, Source source,
                                                        Intent intent, const std::string& displayProfile);

    void* transform_; // cmsHTRANSFORM
    Source source_;
};

} // namespace velmoa
