#pragma once

#include "formats/metafile/MetafileCanvas.h"
#include "formats/metafile/MetafileReader.h"
#include "formats/metafile/MetafileRecordTable.h"
#include "formats/metafile/WmfRecordTypes.h"

#include <QPointF>
#include <QRectF>
#include <cstdint>
#include <span>

// The Windows metafile player's records: one handler for each record type, grouped in files by
// concern (state, objects, drawing, bitmaps), and the table WmfPlayer looks them up in.
namespace velmoa::wmf {

using RecordHandler = MetafileRecordHandler;
using RecordEntry = MetafileRecordEntry<RecordType>;

// Each family's part of the table.
std::span<const RecordEntry> stateRecords();   // WmfStateRecords.cpp: mapping, attributes, clip
std::span<const RecordEntry> objectRecords();  // WmfObjectRecords.cpp: creating and selecting objects
std::span<const RecordEntry> drawingRecords(); // WmfDrawingRecords.cpp: shapes, text, regions
std::span<const RecordEntry> bitmapRecords();  // WmfBitmapRecords.cpp: bit blocks and bitmaps

// All the families' handlers. Records it has none for do not change the drawing (escapes,
// palette changes and anything unknown) and are passed over.
const MetafileRecordTable<RecordType>& recordTable();

// Reading the fields the families share. Most records give coordinates last-first: y before x,
// bottom-right before top-left.
inline QPointF yxAt(MetafileReader& r, std::size_t at) {
    return QPointF(r.i16(at + 2), r.i16(at));
}
inline QRectF rectBrtl(MetafileReader& r, std::size_t at) {
    const double bottom = r.i16(at), right = r.i16(at + 2), top = r.i16(at + 4), left = r.i16(at + 6);
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

} // namespace velmoa::wmf
