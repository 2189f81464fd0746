#pragma once

#include "formats/metafile/EmfRecordTypes.h"
#include "formats/metafile/MetafileCanvas.h"
#include "formats/metafile/MetafileRecordTable.h"

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QTransform>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace velmoa {

class MetafileReader;

} // namespace velmoa

// The parts of the enhanced metafile player, one file for each family of records.
namespace velmoa::emf {

// A handler gets the whole record, type and size included.
using RecordEntry = MetafileRecordEntry<RecordType>;

// The families with one handler per record, in a table each.
std::span<const RecordEntry> drawingRecords(); // EmfDrawingRecords.cpp: shapes and paths
std::span<const RecordEntry> textRecords();    // EmfTextRecords.cpp: text and gradients
// All of them, looked up by type.
const MetafileRecordTable<RecordType>& recordTable();

// The families of short records that share one switch each: nullopt when the record type is not
// one of its own, false when the record is malformed and playing stops.
std::optional<bool> playStateRecord(MetafileCanvas& canvas, std::uint32_t type, MetafileReader& r);
std::optional<bool> playObjectRecord(MetafileCanvas& canvas, std::uint32_t type, MetafileReader& r);
std::optional<bool> playBitmapRecord(MetafileCanvas& canvas, std::uint32_t type, MetafileReader& r);

// A StretchDIBits of a mask with SRCPAINT and one of the image with SRCAND onto the same
// place, as LibreOffice writes a picture with transparency: drawn as one image whose alpha
// the mask's grey levels give (white opaque), so that grey masks blend smoothly rather than
// by their bits. False, with nothing drawn, when the two records are not such a pair.
bool playMaskPair(MetafileCanvas& canvas, MetafileReader& mask, MetafileReader& image);

// Reading the fields the record families share.
QPointF point32(MetafileReader& r, std::size_t at);
QRectF rect32(MetafileReader& r, std::size_t at);
bool readPoints(MetafileReader& r, std::size_t at, std::size_t count, bool small, std::vector<QPointF>& out);
// A bitmap carried inside a record at the offsets the record gives.
QImage recordDib(MetafileReader& r, std::size_t infoOffsetAt, const MetafileCanvas& canvas,
                 std::size_t usageAt, bool keepAlpha = false);
bool bottomUp(MetafileReader& r, std::size_t infoOffsetAt);
MetafileCanvas::Region readRegion(MetafileReader& r, std::size_t at, std::size_t size);
QTransform xform(MetafileReader& r, std::size_t at);
bool finite(const QTransform& t);

} // namespace velmoa::emf
