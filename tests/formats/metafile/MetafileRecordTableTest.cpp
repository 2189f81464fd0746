#include "formats/metafile/EmfRecords.h"
#include "formats/metafile/MetafileReader.h"
#include "formats/metafile/WmfRecords.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>
#include <set>
#include <string>

using namespace velmoa;

namespace {

// A record type the table must play, and whether a record of that type without its parameters
// is malformed (stops the playing) or harmless.
template <typename Type> struct Handled {
    Type type;
    bool emptyIsMalformed;
};

// Plays a record of each type with no parameters through the table and compares what its
// handler makes of it; also checks that the table holds these types and no others, once each.
template <typename Type>
void expectTable(const MetafileRecordTable<Type>& table, std::initializer_list<Handled<Type>> handled,
                 const std::string& emptyRecord) {
    std::set<std::uint32_t> expected;
    for (const auto& h : handled) {
        EXPECT_TRUE(expected.insert(h.type).second) << "listed twice: " << h.type;
    }
    std::multiset<std::uint32_t> inTable;
    for (const auto& entry : table.entries()) {
        inTable.insert(entry.type);
        EXPECT_NE(entry.play, nullptr) << entry.type;
    }
    EXPECT_EQ(std::set<std::uint32_t>(inTable.begin(), inTable.end()), expected);
    EXPECT_EQ(inTable.size(), expected.size()) << "a type with two handlers";

    QImage image(50, 50, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (const auto& h : handled) {
        const MetafileRecordHandler handler = table.find(h.type);
        ASSERT_NE(handler, nullptr) << h.type;
        MetafileWorkBudget budget;
        MetafileCanvas canvas(painter, QRectF(0, 0, 50, 50), QTransform(), QSizeF(4, 4), budget);
        canvas.setObjectTableSize(4);
        MetafileReader r(emptyRecord);
        EXPECT_EQ(handler(canvas, r), !h.emptyIsMalformed) << "record type " << h.type;
    }
}

using WmfHandled = Handled<wmf::RecordType>;
using EmfHandled = Handled<emf::RecordType>;

TEST(MetafileRecordTable, EveryWmfRecordTypeReachesItsHandler) {
    using namespace wmf;
    expectTable(wmf::recordTable(),
                {
                    // State: settings read nothing they cannot do without.
                    WmfHandled{META_SAVEDC, false},
                    {META_RESTOREDC, false},
                    {META_SETMAPMODE, false},
                    {META_SETWINDOWORG, false},
                    {META_SETWINDOWEXT, false},
                    {META_SETVIEWPORTORG, false},
                    {META_SETVIEWPORTEXT, false},
                    {META_OFFSETWINDOWORG, false},
                    {META_OFFSETVIEWPORTORG, false},
                    {META_SCALEWINDOWEXT, false},
                    {META_SCALEVIEWPORTEXT, false},
                    {META_SETBKCOLOR, false},
                    {META_SETTEXTCOLOR, false},
                    {META_SETBKMODE, false},
                    {META_SETTEXTALIGN, false},
                    {META_SETPOLYFILLMODE, false},
                    {META_SETROP2, false},
                    {META_SETSTRETCHBLTMODE, false},
                    {META_INTERSECTCLIPRECT, true},
                    {META_EXCLUDECLIPRECT, true},
                    {META_OFFSETCLIPRGN, false},
                    {META_SELECTCLIPREGION, false},
                    // Objects: a pen, brush or font needs its fields; the others make do.
                    {META_CREATEPENINDIRECT, true},
                    {META_CREATEBRUSHINDIRECT, true},
                    {META_DIBCREATEPATTERNBRUSH, false},
                    {META_CREATEFONTINDIRECT, true},
                    {META_CREATEPALETTE, false},
                    {META_CREATEPATTERNBRUSH, false},
                    {META_CREATEBITMAP, false},
                    {META_CREATEBITMAPINDIRECT, false},
                    {META_CREATEREGION, false},
                    {META_SELECTPALETTE, false},
                    {META_SELECTOBJECT, false},
                    {META_DELETEOBJECT, false},
                    // Drawing: shapes and text need their coordinates.
                    {META_MOVETO, false},
                    {META_LINETO, true},
                    {META_POLYLINE, true},
                    {META_POLYGON, true},
                    {META_POLYPOLYGON, true},
                    {META_RECTANGLE, true},
                    {META_ELLIPSE, true},
                    {META_ROUNDRECT, true},
                    {META_ARC, true},
                    {META_CHORD, true},
                    {META_PIE, true},
                    {META_SETPIXEL, true},
                    {META_TEXTOUT, true},
                    {META_EXTTEXTOUT, true},
                    {META_FILLREGION, false},
                    {META_FRAMEREGION, false},
                    {META_PAINTREGION, false},
                    {META_INVERTREGION, false},
                    // Bitmaps.
                    {META_PATBLT, true},
                    {META_STRETCHDIB, true},
                    {META_DIBSTRETCHBLT, true},
                    {META_DIBBITBLT, true},
                    {META_STRETCHBLT, true},
                    {META_BITBLT, true},
                    {META_SETDIBTODEV, true},
                },
                std::string());
    // Records that do not change the drawing are passed over.
    for (const std::uint16_t passedOver : {META_EOF, META_ESCAPE, META_REALIZEPALETTE, META_SETPALENTRIES,
                                           META_SETMAPPERFLAGS, META_SETTEXTCHAREXTRA, META_SETRELABS}) {
        EXPECT_EQ(wmf::recordTable().find(passedOver), nullptr) << passedOver;
    }
}

TEST(MetafileRecordTable, EveryTabledEmfRecordTypeReachesItsHandler) {
    using namespace emf;
    // A record of only its type and size.
    const std::string header(8, '\0');
    expectTable(emf::recordTable(),
                {
                    EmfHandled{EMR_POLYBEZIER, true},
                    {EMR_POLYGON, true},
                    {EMR_POLYLINE, true},
                    {EMR_POLYBEZIERTO, true},
                    {EMR_POLYLINETO, true},
                    {EMR_POLYBEZIER16, true},
                    {EMR_POLYGON16, true},
                    {EMR_POLYLINE16, true},
                    {EMR_POLYBEZIERTO16, true},
                    {EMR_POLYLINETO16, true},
                    {EMR_POLYPOLYLINE, true},
                    {EMR_POLYPOLYGON, true},
                    {EMR_POLYPOLYLINE16, true},
                    {EMR_POLYPOLYGON16, true},
                    {EMR_POLYDRAW, true},
                    {EMR_POLYDRAW16, true},
                    {EMR_SETPIXELV, false},
                    {EMR_MOVETOEX, false},
                    {EMR_LINETO, true},
                    {EMR_ANGLEARC, false},
                    {EMR_ELLIPSE, true},
                    {EMR_RECTANGLE, true},
                    {EMR_ROUNDRECT, true},
                    {EMR_ARC, true},
                    {EMR_CHORD, true},
                    {EMR_PIE, true},
                    {EMR_ARCTO, true},
                    {EMR_BEGINPATH, false},
                    {EMR_ENDPATH, false},
                    {EMR_CLOSEFIGURE, false},
                    {EMR_FILLPATH, false},
                    {EMR_STROKEANDFILLPATH, false},
                    {EMR_STROKEPATH, false},
                    {EMR_ABORTPATH, false},
                    {EMR_GRADIENTFILL, true},
                    {EMR_SMALLTEXTOUT, true},
                    {EMR_EXTTEXTOUTA, true},
                    {EMR_EXTTEXTOUTW, true},
                },
                header);
}

} // namespace
