#pragma once

#include "EmfWriter.h"

#include <cstdint>

// The numbers of the EMF+ records and objects the tests write, as the format defines them, and the
// picture they draw on.
namespace emfplus_records {

// The plain comment record that carries EMF+ records.
constexpr std::uint32_t kComment = 70;

// Record types.
constexpr std::uint16_t kHeader = 0x4001, kGetDc = 0x4004, kObject = 0x4008, kClear = 0x4009,
                        kFillRects = 0x400A, kDrawLines = 0x400D, kFillEllipse = 0x400E, kFillPie = 0x4010,
                        kFillPath = 0x4014, kDrawPath = 0x4015, kDrawBeziers = 0x4019, kDrawImage = 0x401A,
                        kDrawImagePoints = 0x401B, kDrawString = 0x401C, kSave = 0x4025, kRestore = 0x4026,
                        kSetWorldTransform = 0x402A, kTranslate = 0x402D, kRotate = 0x402F,
                        kPageTransform = 0x4030, kResetClip = 0x4031, kClipRect = 0x4032,
                        kSetClipRegion = 0x4034;

// Object types, as an Object record's flags carry them above the object's slot.
constexpr std::uint16_t kBrushObject = 1, kPenObject = 2, kPathObject = 3, kImageObject = 5, kFontObject = 6,
                        kStringFormatObject = 7;

// A drawing record's flag: its brush is a colour, not an object. On an Object record the same bit
// says the object goes on in the next record.
constexpr std::uint16_t kColour = 0x8000, kContinued = 0x8000;
// Units of page transforms, fonts and images.
constexpr std::uint32_t kUnitPixel = 2, kUnitPoint = 3;
// The metafile types of image objects.
constexpr std::uint32_t kWmf = 1, kWmfPlaceable = 2, kEmf = 3;
// A DrawImage's "no image attributes object".
constexpr std::uint32_t kNoAttributes = 0xFFFFFFFF;

// Colours as EMF+ writes them, alpha first.
constexpr std::uint32_t kBlack = 0xFF000000, kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;

// A picture of 100 x 100 pixels at 96 dpi, so that EMF+ pixels are the picture's pixels.
inline EmfWriter picture() {
    return EmfWriter(2645, 2645, 960, 960, 254, 254);
}

} // namespace emfplus_records
