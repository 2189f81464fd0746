#include "formats/metafile/EmfRecords.h"

#include "formats/metafile/MetafileGdi.h"
#include "formats/metafile/MetafileReader.h"
#include "formats/metafile/MetafileText.h"

#include <QLinearGradient>

namespace velmoa::emf {
namespace {

// ExtTextOut options of the enhanced records only.
constexpr std::uint32_t ETO_NO_RECT = 0x0100;
constexpr std::uint32_t ETO_SMALL_CHARS = 0x0200; // one byte a character
// GradientFill modes.
constexpr std::uint32_t GRADIENT_FILL_RECT_V = 1;
constexpr std::uint32_t GRADIENT_FILL_TRIANGLE = 2;

bool gradientFill(MetafileCanvas& canvas, MetafileReader& r) {
    const std::uint32_t vertices = r.u32(24);
    const std::uint32_t shapes = r.u32(28);
    const std::uint32_t mode = r.u32(32);
    const bool triangles = mode == GRADIENT_FILL_TRIANGLE;
    const std::size_t shapeSize = triangles ? 12 : 8;
    if (!r.ok() || vertices > r.size() / 16 || shapes > r.size() / shapeSize ||
        !r.has(36, std::size_t{vertices} * 16 + std::size_t{shapes} * shapeSize)) {
        return false;
    }
    const auto vertex = [&](std::uint32_t i) { return point32(r, 36 + std::size_t{i} * 16); };
    // Colours are 16 bits a channel; the high byte is the 8-bit value.
    const auto colour = [&](std::uint32_t i) {
        const std::size_t at = 36 + std::size_t{i} * 16 + 8;
        return QColor(r.u16(at) >> 8, r.u16(at + 2) >> 8, r.u16(at + 4) >> 8);
    };
    const std::size_t shapesAt = 36 + std::size_t{vertices} * 16;
    for (std::uint32_t k = 0; k < shapes; ++k) {
        const std::size_t at = shapesAt + std::size_t{k} * shapeSize;
        const std::uint32_t a = r.u32(at), b = r.u32(at + 4);
        const std::uint32_t c = triangles ? r.u32(at + 8) : 0;
        if (a >= vertices || b >= vertices || c >= vertices) {
            continue;
        }
        QPainterPath path;
        if (triangles) {
            // A triangle takes the mean of its corner colours.
            const QColor ca = colour(a), cb = colour(b), cc = colour(c);
            path.moveTo(vertex(a));
            path.lineTo(vertex(b));
            path.lineTo(vertex(c));
            path.closeSubpath();
            canvas.fillLogical(path, QColor((ca.red() + cb.red() + cc.red()) / 3,
                                            (ca.green() + cb.green() + cc.green()) / 3,
                                            (ca.blue() + cb.blue() + cc.blue()) / 3));
        } else {
            const QRectF rect = QRectF(vertex(a), vertex(b)).normalized();
            path.addRect(rect);
            const bool vertical = mode == GRADIENT_FILL_RECT_V;
            QLinearGradient gradient(rect.topLeft(), vertical ? rect.bottomLeft() : rect.topRight());
            const bool reversed = vertical ? vertex(a).y() > vertex(b).y() : vertex(a).x() > vertex(b).x();
            gradient.setColorAt(0, colour(reversed ? b : a));
            gradient.setColorAt(1, colour(reversed ? a : b));
            canvas.fillLogical(path, gradient);
        }
    }
    return true;
}

bool smallTextOut(MetafileCanvas& canvas, MetafileReader& r) {
    const QPointF reference = point32(r, 8);
    const std::uint32_t chars = r.u32(16);
    const std::uint32_t options = r.u32(20);
    std::size_t textAt = 36;
    std::optional<QRectF> rect;
    if (!(options & ETO_NO_RECT)) { // a clipping or opaque rectangle
        rect = rect32(r, 36);
        textAt = 52;
    }
    const bool narrow = (options & ETO_SMALL_CHARS) != 0;
    if (!r.ok() || chars > r.size() || !r.has(textAt, std::size_t{chars} * (narrow ? 1 : 2))) {
        return false;
    }
    QString text;
    for (std::uint32_t i = 0; i < chars; ++i) {
        text.append(
            QChar(static_cast<char16_t>(narrow ? r.u8(textAt + i) : r.u16(textAt + std::size_t{i} * 2))));
    }
    canvas.textOut(reference, text, {}, options & (gdi::ETO_OPAQUE | gdi::ETO_CLIPPED), rect);
    return true;
}

template <bool wide> bool extTextOut(MetafileCanvas& canvas, MetafileReader& r) {
    if (!r.has(8, 68)) {
        return false;
    }
    const QPointF reference = point32(r, 36);
    const std::uint32_t chars = r.u32(44);
    const std::uint32_t offString = r.u32(48);
    const std::uint32_t options = r.u32(52);
    const QRectF rect = rect32(r, 56);
    const std::uint32_t offDx = r.u32(72);
    const std::size_t charSize = wide ? 2 : 1;
    if (chars > r.size() || !r.has(offString, chars * charSize)) {
        return false;
    }
    QString text;
    if (wide) {
        text.reserve(chars);
        for (std::uint32_t i = 0; i < chars; ++i) {
            text.append(QChar(static_cast<char16_t>(r.u16(offString + i * 2))));
        }
    } else {
        text = decodeMetafileText(r.bytes(offString, chars), canvas.currentFont().charset);
    }
    std::vector<double> dx, dy;
    const bool pdy = (options & gdi::ETO_PDY) != 0; // x and y advances
    const std::size_t step = pdy ? 8 : 4;
    if (offDx != 0 && r.has(offDx, std::size_t{chars} * step) &&
        static_cast<qsizetype>(chars) == text.size()) {
        for (std::uint32_t i = 0; i < chars; ++i) {
            dx.push_back(r.i32(offDx + i * step));
            if (pdy) {
                dy.push_back(r.i32(offDx + i * step + 4));
            }
        }
    }
    if (options & gdi::ETO_GLYPH_INDEX) { // glyph indexes cannot be shown as text; keep only the background
        text.clear();
    }
    // ETO_NO_RECT: the rectangle is there but means nothing.
    const bool hasRect = !(options & ETO_NO_RECT) && (rect.width() != 0 || rect.height() != 0);
    canvas.textOut(reference, text, dx, options, hasRect ? std::optional<QRectF>(rect) : std::nullopt,
                   nullptr, dy);
    return true;
}

constexpr RecordEntry kRecords[] = {
    {EMR_GRADIENTFILL, gradientFill},
    {EMR_SMALLTEXTOUT, smallTextOut},
    {EMR_EXTTEXTOUTA, extTextOut<false>},
    {EMR_EXTTEXTOUTW, extTextOut<true>},
};

} // namespace

std::span<const RecordEntry> textRecords() {
    return kRecords;
}

} // namespace velmoa::emf
