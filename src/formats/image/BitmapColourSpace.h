#pragma once

#include "formats/image/ColourConversion.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace velmoa {

// The colour space a V4 or V5 bitmap header names for its pixels, and the conversion of them to
// the display's colours. Smaller headers name none: their pixels are shown as stored.
class BitmapColourSpace {
  public:
    // The header's bV4CSType values.
    enum Type : std::uint32_t {
        CalibratedRgb = 0,               // LCS_CALIBRATED_RGB: primaries and gammas in the header
        Srgb = 0x73524742,               // LCS_sRGB ('sRGB')
        WindowsColourSpace = 0x57696E20, // LCS_WINDOWS_COLOR_SPACE ('Win '), sRGB on the systems in use
        LinkedProfile = 0x4C494E4B,      // PROFILE_LINKED ('LINK'): a file name
        EmbeddedProfile = 0x4D424544,    // PROFILE_EMBEDDED ('MBED'): the profile's bytes
    };

    // The fields of the info header of headerSize bytes at headerAt in bytes, which holds all of
    // the header. total is the size of everything the header's offsets may point into (from the
    // same start as bytes): an embedded profile that does not lie inside it is no profile.
    static BitmapColourSpace read(std::string_view bytes, std::size_t headerAt, std::uint32_t headerSize,
                                  std::int64_t total);

    // Whether the pixels may need converting at all; false costs the decoder nothing more.
    bool named() const { return named_; }
    // An embedded profile's place from the start of bytes; its size is 0 when there is none.
    std::size_t profileAt() const { return profileAt_; }
    std::size_t profileSize() const { return profileSize_; }

    // The conversion to the display's colours; null when none is needed or possible. profile
    // holds the embedded profile's bytes (empty when they could not be had).
    std::shared_ptr<const ColourConversion> conversion(std::string_view profile) const;

  private:
    bool named_ = false;
    std::uint32_t type_ = Srgb;
    ColourConversion::Intent intent_ = ColourConversion::Intent::Perceptual;
    ColourConversion::CalibratedRgb calibrated_;
    std::size_t profileAt_ = 0;
    std::size_t profileSize_ = 0;
};

} // namespace velmoa
