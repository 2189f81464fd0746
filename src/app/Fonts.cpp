#include "app/Fonts.h"

namespace velmoa {

void installFontSubstitutes() {
    QFont::insertSubstitutions(kGothic, {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
    QFont::insertSubstitutions(kMincho, {QStringLiteral("IPAPMincho"), QStringLiteral("IPAMincho")});
    QFont::insertSubstitutions(kBrush, {QStringLiteral("AoyagiKouzanFontT"), QStringLiteral("IPAMincho")});
    QFont::insertSubstitutions(kFixed, {QStringLiteral("IPAGothic"), QStringLiteral("Monospace")});
}

QFont pixelFont(const QString& face, int pixels, bool bold, bool italic) {
    QFont font(face);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

} // namespace velmoa
