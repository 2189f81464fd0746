#pragma once

#include <cstdint>

namespace velmoa::emfplus {

// The types of EMF+ records, as the format documents name them.
enum RecordType : std::uint16_t {
    EmfPlusHeader = 0x4001,
    EmfPlusEndOfFile = 0x4002,
    EmfPlusComment = 0x4003,
    EmfPlusGetDC = 0x4004,
    EmfPlusMultiFormatStart = 0x4005,
    EmfPlusMultiFormatSection = 0x4006,
    EmfPlusMultiFormatEnd = 0x4007,
    EmfPlusObject = 0x4008,
    EmfPlusClear = 0x4009,
    EmfPlusFillRects = 0x400A,
    EmfPlusDrawRects = 0x400B,
    EmfPlusFillPolygon = 0x400C,
    EmfPlusDrawLines = 0x400D,
    EmfPlusFillEllipse = 0x400E,
    EmfPlusDrawEllipse = 0x400F,
    EmfPlusFillPie = 0x4010,
    EmfPlusDrawPie = 0x4011,
    EmfPlusDrawArc = 0x4012,
    EmfPlusFillRegion = 0x4013,
    EmfPlusFillPath = 0x4014,
    EmfPlusDrawPath = 0x4015,
    EmfPlusFillClosedCurve = 0x4016,
    EmfPlusDrawClosedCurve = 0x4017,
    EmfPlusDrawCurve = 0x4018,
    EmfPlusDrawBeziers = 0x4019,
    EmfPlusDrawImage = 0x401A,
    EmfPlusDrawImagePoints = 0x401B,
    EmfPlusDrawString = 0x401C,
    EmfPlusSetRenderingOrigin = 0x401D,
    EmfPlusSetAntiAliasMode = 0x401E,
    EmfPlusSetTextRenderingHint = 0x401F,
    EmfPlusSetTextContrast = 0x4020,
    EmfPlusSetInterpolationMode = 0x4021,
    EmfPlusSetPixelOffsetMode = 0x4022,
    EmfPlusSetCompositingMode = 0x4023,
    EmfPlusSetCompositingQuality = 0x4024,
    EmfPlusSave = 0x4025,
    EmfPlusRestore = 0x4026,
    EmfPlusBeginContainer = 0x4027,
    EmfPlusBeginContainerNoParams = 0x4028,
    EmfPlusEndContainer = 0x4029,
    EmfPlusSetWorldTransform = 0x402A,
    EmfPlusResetWorldTransform = 0x402B,
    EmfPlusMultiplyWorldTransform = 0x402C,
    EmfPlusTranslateWorldTransform = 0x402D,
    EmfPlusScaleWorldTransform = 0x402E,
    EmfPlusRotateWorldTransform = 0x402F,
    EmfPlusSetPageTransform = 0x4030,
    EmfPlusResetClip = 0x4031,
    EmfPlusSetClipRect = 0x4032,
    EmfPlusSetClipPath = 0x4033,
    EmfPlusSetClipRegion = 0x4034,
    EmfPlusOffsetClip = 0x4035,
    EmfPlusDrawDriverString = 0x4036,
};

// The types of the objects an EmfPlusObject record defines (bits 8-14 of its flags).
enum ObjectType : int {
    ObjectTypeInvalid = 0,
    ObjectTypeBrush = 1,
    ObjectTypePen = 2,
    ObjectTypePath = 3,
    ObjectTypeRegion = 4,
    ObjectTypeImage = 5,
    ObjectTypeFont = 6,
    ObjectTypeStringFormat = 7,
    ObjectTypeImageAttributes = 8,
    ObjectTypeCustomLineCap = 9,
};

// The units of page transforms, fonts and pens.
enum Unit : int {
    UnitWorld = 0,
    UnitDisplay = 1,
    UnitPixel = 2,
    UnitPoint = 3,
    UnitInch = 4,
    UnitDocument = 5,
    UnitMillimeter = 6,
};

} // namespace velmoa::emfplus
