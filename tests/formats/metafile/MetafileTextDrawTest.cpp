#include "EmfWriter.h"
#include "MetafileRendering.h"
#include "WmfWriter.h"

#include <QFont>
#include <QTextLayout>
#include <gtest/gtest.h>

namespace {

enum : std::uint32_t {
    kSetWindowExt = 9,
    kSetWindowOrg = 10,
    kSetViewportExt = 11,
    kSetMapMode = 17,
    kSetBkMode = 18,
    kSetTextAlign = 22,
    kSetBkColor = 25,
    kMoveTo = 27,
    kSelect = 37,
    kExtCreateFont = 82,
    kExtTextOutW = 84,
};
constexpr std::uint32_t kOpaque = 0x2, kNoRect = 0x100, kPdy = 0x2000, kUpdateCp = 0x1;

EmfWriter picture() {
    return EmfWriter(9999, 9999, 100, 100, 100, 100);
}

// A font of the height (logical units, character height) and escapement as object 1, selected.
EmfWriter& font(EmfWriter& w, int height, int escapement = 0) {
    std::string f = EmfWriter::u32(1) + EmfWriter::i32(-height) + EmfWriter::i32(0) +
                    EmfWriter::i32(escapement) + EmfWriter::i32(escapement) + EmfWriter::i32(700) +
                    std::string(8, '\0');
    for (char16_t c : std::u16string(u"DejaVu Sans")) {
        f += EmfWriter::i16(c);
    }
    f.resize(4 + 92, '\0');
    return w.raw(kExtCreateFont, f).rec(kSelect, {1});
}

// ExtTextOutW at the reference point; advances as the record holds them (pairs with ETO_PDY).
EmfWriter& text(EmfWriter& w, QPoint at, const std::u16string& s, std::uint32_t options = 0,
                QRect rect = QRect(), const std::vector<int>& advances = {}) {
    std::string chars;
    for (char16_t c : s) {
        chars += EmfWriter::i16(c);
    }
    while (chars.size() % 4) {
        chars += '\0';
    }
    const std::uint32_t offString = 76;
    const std::uint32_t offDx = advances.empty() ? 0 : offString + static_cast<std::uint32_t>(chars.size());
    std::string record = std::string(16, '\0') + EmfWriter::u32(1) + EmfWriter::f32(1) + EmfWriter::f32(1) +
                         EmfWriter::i32(at.x()) + EmfWriter::i32(at.y()) +
                         EmfWriter::u32(static_cast<std::uint32_t>(s.size())) + EmfWriter::u32(offString) +
                         EmfWriter::u32(options) + EmfWriter::i32(rect.left()) + EmfWriter::i32(rect.top()) +
                         EmfWriter::i32(rect.right() + 1) + EmfWriter::i32(rect.bottom() + 1) +
                         EmfWriter::u32(offDx) + chars;
    for (int a : advances) {
        record += EmfWriter::i32(a);
    }
    return w.raw(kExtTextOutW, record);
}

// The logical y axis pointing up: logical (x, y) lands on device (x, 100 - y).
EmfWriter& yUp(EmfWriter& w) {
    return w.rec(kSetMapMode, {8})
        .rec(kSetWindowOrg, {0, 100})
        .rec(kSetWindowExt, {100, -100})
        .rec(kSetViewportExt, {100, 100});
}

// The widest run of columns without ink between the first and the last inked column.
int widestBlankRun(const QImage& image) {
    std::vector<bool> inked(static_cast<std::size_t>(image.width()));
    for (int x = 0; x < image.width(); ++x) {
        inked[static_cast<std::size_t>(x)] = darkPixels(image, QRect(x, 0, 1, image.height())) > 0;
    }
    const auto first = std::find(inked.begin(), inked.end(), true);
    const auto last = std::find(inked.rbegin(), inked.rend(), true).base();
    int widest = 0, run = 0;
    for (auto it = first; it < last; ++it) {
        run = *it ? 0 : run + 1;
        widest = std::max(widest, run);
    }
    return widest;
}

} // namespace

// Office suites lay text out with ligatures and write each character's advance, the ligature's
// whole advance on its first letter: "Metafile" must not lose its i to the l.
TEST(MetafileTextDrawing, KeepsLettersThatAWritersLigatureJoined) {
    constexpr int kEm = 40;
    const std::u16string word = u"Metafile";
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(kEm);
    QTextLayout layout(QString::fromStdU16String(word), font);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    // Advances at the writer's cluster boundaries: "fi" (letters 4 and 5) is one.
    std::vector<int> advances;
    advances.reserve(word.size());
    for (int i = 0; i < static_cast<int>(word.size()); ++i) {
        const int end = i == 4 ? 6 : i + 1;
        advances.push_back(i == 5 ? 0
                                  : static_cast<int>(std::lround(line.cursorToX(end) - line.cursorToX(i))));
    }

    QImage reference(200, 100, QImage::Format_RGB32);
    reference.fill(Qt::white);
    {
        QPainter painter(&reference);
        painter.setFont(font);
        painter.drawText(QPointF(5, 50), QString::fromStdU16String(word));
    }

    EmfWriter emf(19999, 9999, 200, 100, 200, 100);
    std::string emfFont = EmfWriter::u32(1) + EmfWriter::i32(-kEm) + std::string(12, '\0') +
                          EmfWriter::i32(400) + std::string(8, '\0');
    for (char16_t c : std::u16string(u"DejaVu Sans")) {
        emfFont += EmfWriter::i16(c);
    }
    emfFont.resize(4 + 92, '\0');
    emf.raw(kExtCreateFont, emfFont).rec(kSelect, {1}).rec(kSetBkMode, {1}).rec(kSetTextAlign, {24});
    text(emf, {5, 50}, word, 0, QRect(), advances);

    constexpr int kCreateFont = 0x02FB, kSelectObject = 0x012D, kSetWmfTextAlign = 0x012E,
                  kWmfExtTextOut = 0x0A32;
    WmfWriter wmf(0, 0, 200, 100, 96);
    std::string wmfFont = WmfWriter::word(-kEm) + std::string(6, '\0') + WmfWriter::word(400) +
                          std::string(8, '\0') + "DejaVu Sans";
    wmfFont.resize(50, '\0');
    std::string wmfText = WmfWriter::word(50) + WmfWriter::word(5) +
                          WmfWriter::word(static_cast<int>(word.size())) + WmfWriter::word(0) + "Metafile";
    for (int a : advances) {
        wmfText += WmfWriter::word(a);
    }
    wmf.raw(kCreateFont, wmfFont)
        .rec(kSelectObject, {0})
        .rec(kSetWmfTextAlign, {24})
        .raw(kWmfExtTextOut, wmfText);

    const int referenceGap = widestBlankRun(reference);
    for (const auto& [name, image] :
         {std::pair{"EMF", renderMetafile(emf.build(), true, QSize(200, 100))},
          std::pair{"WMF", renderMetafile(wmf.build(), false, QSize(200, 100))}}) {
        EXPECT_GT(darkPixels(image, image.rect()), darkPixels(reference, reference.rect()) / 2) << name;
        // Drawn one by one, the i would stand on the l and leave a gap of its width behind the f.
        EXPECT_LE(widestBlankRun(image), referenceGap + 2) << name;
    }
}

TEST(MetafileTextDrawing, PlacesRotatedVerticalAndBoxedText) {
    const QRect upRight(30, 8, 40, 36), downRight(30, 58, 40, 36);
    const struct {
        const char* name;
        std::function<void(EmfWriter&)> records;
        QRect inked, blank;
    } rows[] = {
        {"escapement on a page whose y axis points down turns counter-clockwise",
         [](EmfWriter& w) {
             font(w.rec(kSetBkMode, {1}).rec(kSetTextAlign, {24}), 12, 450);
             text(w, {20, 50}, u"MMMMMM");
         },
         upRight, downRight},
        {"escapement under a mapping whose y axis points up turns the other way",
         [](EmfWriter& w) {
             font(yUp(w).rec(kSetBkMode, {1}).rec(kSetTextAlign, {24}), 12, 450);
             text(w, {20, 50}, u"MMMMMM");
         },
         downRight, upRight},
        {"vertical advances of ETO_PDY stack the characters downwards",
         [](EmfWriter& w) {
             font(w.rec(kSetBkMode, {1}), 20);
             text(w, {40, 5}, u"HHH", kPdy, QRect(), {0, -25, 0, -25, 0, -25});
         },
         QRect(40, 58, 20, 20), QRect(64, 0, 36, 100)},
        {"vertical advances of ETO_PDY move the current position on",
         [](EmfWriter& w) {
             font(w.rec(kSetBkMode, {1}).rec(kSetTextAlign, {kUpdateCp}).rec(kMoveTo, {40, 5}), 20);
             text(w, {0, 0}, u"H", kPdy, QRect(), {0, -60});
             text(w, {0, 0}, u"H");
         },
         QRect(40, 65, 20, 25), QRect(0, 30, 100, 30)},
        {"a terminating NUL is not drawn",
         [](EmfWriter& w) {
             font(w.rec(kSetBkMode, {1}), 60);
             text(w, {5, 10}, std::u16string(u"l") + u'\0');
         },
         QRect(5, 10, 25, 60), QRect(32, 0, 68, 100)},
        {"ETO_NO_RECT leaves the opaque rectangle out",
         [](EmfWriter& w) {
             w.rec(kSetBkColor, {0});
             font(w, 10);
             text(w, {5, 5}, u"i", kOpaque | kNoRect, QRect(0, 30, 100, 70));
         },
         QRect(0, 0, 20, 20), QRect(0, 40, 100, 60)},
        {"without ETO_NO_RECT the rectangle is filled",
         [](EmfWriter& w) {
             w.rec(kSetBkColor, {0});
             font(w, 10);
             text(w, {5, 5}, u"i", kOpaque, QRect(0, 40, 100, 60));
         },
         QRect(0, 40, 100, 60), QRect(40, 0, 60, 30)},
    };
    for (const auto& row : rows) {
        EmfWriter w = picture();
        row.records(w);
        const QImage image = renderMetafile(w.build(), true);
        EXPECT_GT(darkPixels(image, row.inked), 20) << row.name;
        EXPECT_EQ(darkPixels(image, row.blank), 0) << row.name;
    }
}
