#pragma once

#include <cstdint>

// The values of the drawing settings both metafile kinds carry, as the format documents name them.
// Plain enums: the values come from the files as integers and are compared with them.
namespace velmoa::gdi {

// SetROP2: how a pen or brush combines with the destination.
enum BinaryRasterOp : int {
    R2_BLACK = 1,
    R2_NOTMERGEPEN = 2,
    R2_MASKNOTPEN = 3,
    R2_NOTCOPYPEN = 4,
    R2_MASKPENNOT = 5,
    R2_NOT = 6,
    R2_XORPEN = 7,
    R2_NOTMASKPEN = 8,
    R2_MASKPEN = 9,
    R2_NOTXORPEN = 10,
    R2_NOP = 11,
    R2_MERGENOTPEN = 12,
    R2_COPYPEN = 13,
    R2_MERGEPENNOT = 14,
    R2_MERGEPEN = 15,
    R2_WHITE = 16,
};

// The common ternary raster operations of the bit-block records (the full 32-bit codes).
enum TernaryRasterOp : std::uint32_t {
    BLACKNESS = 0x00000042,
    NOTSRCERASE = 0x001100A6,
    NOTSRCCOPY = 0x00330008,
    SRCERASE = 0x00440328,
    DSTINVERT = 0x00550009,
    PATINVERT = 0x005A0049,
    SRCINVERT = 0x00660046,
    SRCAND = 0x008800C6,
    MERGEPAINT = 0x00BB0226,
    MERGECOPY = 0x00C000CA,
    SRCCOPY = 0x00CC0020,
    SRCPAINT = 0x00EE0086,
    PATCOPY = 0x00F00021,
    PATPAINT = 0x00FB0A09,
    WHITENESS = 0x00FF0062,
};

// A pen's style: the line pattern in the low bits, end cap and join above it, cosmetic or
// geometric on top.
enum PenStyle : std::uint32_t {
    PS_SOLID = 0x0000,
    PS_DASH = 0x0001,
    PS_DOT = 0x0002,
    PS_DASHDOT = 0x0003,
    PS_DASHDOTDOT = 0x0004,
    PS_NULL = 0x0005,
    PS_INSIDEFRAME = 0x0006,
    PS_USERSTYLE = 0x0007,
    PS_ALTERNATE = 0x0008,
    PS_STYLE_MASK = 0x000F,
    PS_ENDCAP_ROUND = 0x0000,
    PS_ENDCAP_SQUARE = 0x0100,
    PS_ENDCAP_FLAT = 0x0200,
    PS_ENDCAP_MASK = 0x0F00,
    PS_JOIN_ROUND = 0x0000,
    PS_JOIN_BEVEL = 0x1000,
    PS_JOIN_MITER = 0x2000,
    PS_JOIN_MASK = 0xF000,
    PS_GEOMETRIC = 0x00010000,
};

enum BrushStyle : std::uint32_t {
    BS_SOLID = 0,
    BS_NULL = 1,
    BS_HATCHED = 2,
    BS_PATTERN = 3,
    BS_DIBPATTERN = 5,
    BS_DIBPATTERNPT = 6,
};

enum HatchStyle : int {
    HS_HORIZONTAL = 0,
    HS_VERTICAL = 1,
    HS_FDIAGONAL = 2,
    HS_BDIAGONAL = 3,
    HS_CROSS = 4,
    HS_DIAGCROSS = 5,
};

// SetBkMode: whether text, hatches and styled lines fill their gaps with the background colour.
enum BackgroundMode : int {
    TRANSPARENT = 1,
    OPAQUE = 2,
};

enum PolyFillMode : int {
    ALTERNATE = 1,
    WINDING = 2,
};

enum StretchMode : int {
    BLACKONWHITE = 1,
    WHITEONBLACK = 2,
    COLORONCOLOR = 3,
    HALFTONE = 4,
};

enum MapMode : int {
    MM_TEXT = 1,
    MM_LOMETRIC = 2,
    MM_HIMETRIC = 3,
    MM_LOENGLISH = 4,
    MM_HIENGLISH = 5,
    MM_TWIPS = 6,
    MM_ISOTROPIC = 7,
    MM_ANISOTROPIC = 8,
};

// How a new clip combines with the current one.
enum RegionMode : int {
    RGN_AND = 1,
    RGN_OR = 2,
    RGN_XOR = 3,
    RGN_DIFF = 4,
    RGN_COPY = 5,
};

// ModifyWorldTransform.
enum WorldTransformMode : int {
    MWT_IDENTITY = 1,
    MWT_LEFTMULTIPLY = 2,
    MWT_RIGHTMULTIPLY = 3,
    MWT_SET = 4,
};

enum ArcDirection : int {
    AD_COUNTERCLOCKWISE = 1,
    AD_CLOCKWISE = 2,
};

// SetTextAlign: horizontal alignment in TA_CENTER's bits, vertical in TA_BASELINE's.
enum TextAlign : std::uint32_t {
    TA_NOUPDATECP = 0x0000,
    TA_UPDATECP = 0x0001,
    TA_LEFT = 0x0000,
    TA_RIGHT = 0x0002,
    TA_CENTER = 0x0006,
    TA_HORIZONTAL_MASK = 0x0006,
    TA_TOP = 0x0000,
    TA_BOTTOM = 0x0008,
    TA_BASELINE = 0x0018,
    TA_VERTICAL_MASK = 0x0018,
};

// ExtTextOut options.
enum ExtTextOutOptions : std::uint32_t {
    ETO_OPAQUE = 0x0002,
    ETO_CLIPPED = 0x0004,
    ETO_GLYPH_INDEX = 0x0010,
    ETO_PDY = 0x2000,
};

// Whether a bitmap's colour table holds colours or indexes into the selected palette.
enum DibColors : std::uint32_t {
    DIB_RGB_COLORS = 0,
    DIB_PAL_COLORS = 1,
};

// Stock objects, selected by index with the high bit set.
constexpr std::uint32_t kStockObjectFlag = 0x80000000;
enum StockObject : std::uint32_t {
    WHITE_BRUSH = 0,
    LTGRAY_BRUSH = 1,
    GRAY_BRUSH = 2,
    DKGRAY_BRUSH = 3,
    BLACK_BRUSH = 4,
    NULL_BRUSH = 5,
    WHITE_PEN = 6,
    BLACK_PEN = 7,
    NULL_PEN = 8,
    OEM_FIXED_FONT = 10,
    ANSI_FIXED_FONT = 11,
    ANSI_VAR_FONT = 12,
    SYSTEM_FONT = 13,
    DEVICE_DEFAULT_FONT = 14,
    DEFAULT_PALETTE = 15,
    SYSTEM_FIXED_FONT = 16,
    DEFAULT_GUI_FONT = 17,
    DC_BRUSH = 18,
    DC_PEN = 19,
};

// PolyDraw point types.
enum PointType : std::uint8_t {
    PT_CLOSEFIGURE = 0x01,
    PT_LINETO = 0x02,
    PT_BEZIERTO = 0x04,
    PT_MOVETO = 0x06,
};

// Character sets of a font whose text is in a double-byte code page.
enum CharacterSet : int {
    SHIFTJIS_CHARSET = 128,
    HANGUL_CHARSET = 129,
    GB2312_CHARSET = 134,
    CHINESEBIG5_CHARSET = 136,
};

} // namespace velmoa::gdi
