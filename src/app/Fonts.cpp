#include "app/Fonts.h"

#include <QStringList>

namespace velmoa {

void installFontSubstitutes() {
    QFont::insertSubstitutions(kGothic, QStringList()
                                            << QStringLiteral("IPAPGothic") << QStringLiteral("IPAGothic"));
    QFont::insertSubstitutions(kMincho, QStringList()
                                            << QStringLiteral("IPAPMincho") << QStringLiteral("IPAMincho"));
    QFont::insertSubstitutions(kBrush, QStringList() << QStringLiteral("AoyagiKouzanFontT")
                                                     << QStringLiteral("IPAMincho"));
    QFont::insertSubstitutions(kFixed, QStringList()
                                           << QStringLiteral("IPAGothic") << QStringLiteral("Monospace"));
}

QFont pixelFont(const QString& face, int pixels, bool bold, bool italic) {
    QFont font(face);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

} // namespace velmoa
