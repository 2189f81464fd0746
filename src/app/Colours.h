#pragma once

#include <QColor>

namespace velmoa {

// The named colours the window uses, with their RGB values.
inline const QColor clBlack{0, 0, 0};
inline const QColor clWhite{255, 255, 255};
inline const QColor clAqua{0, 255, 255};
inline const QColor clRed{255, 0, 0};
inline const QColor clLime{0, 255, 0};
inline const QColor clMaroon{128, 0, 0};
inline const QColor clGreen{0, 128, 0};

} // namespace velmoa
