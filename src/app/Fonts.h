#pragma once

#include <QFont>

namespace velmoa {

// Maps the window's font names to installed fonts of the same style (proportional Gothic,
// proportional Mincho, brush script, fixed pitch). Run once at start.
void installFontSubstitutes();

// A font by face name and pixel height.
QFont pixelFont(const QString& face, int pixels, bool bold = false, bool italic = false);

inline const QString kGothic = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString kMincho = QStringLiteral("ＭＳ Ｐ明朝");
inline const QString kBrush = QStringLiteral("HG行書体");
inline const QString kFixed = QStringLiteral("FixedSys");

} // namespace velmoa
