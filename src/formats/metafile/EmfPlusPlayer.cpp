#include "formats/metafile/EmfPlusPlayer.h"

#include "formats/metafile/EmfPlusRecordTypes.h"

#include <cmath>

namespace velmoa {
namespace {

constexpr std::size_t kRecordHeader = 12; // type, flags, size, data size
// An object record's flags: the object's type and its place in the table.
constexpr std::uint16_t kObjectId = 0x00FF;
constexpr std::uint16_t kObjectType = 0x7F00;
constexpr int kObjectTypeShift = 8;
constexpr std::size_t kMaxSaved = 1024;
// The header's data: its version, flags (bit 0: recorded for a video display), then the dpi.
constexpr std::size_t kHeaderFlagsAt = 4;
constexpr std::size_t kHeaderDpiAt = 8;
constexpr std::uint32_t kVideoDevice = 1;
constexpr std::uint16_t kDual = 1; // the header record's flag: plain records stand in for these
constexpr std::uint32_t kMaxDpi = 10000;
constexpr double kMillimetresPerInch = 25.4;

bool finite(const QTransform& t) {
    for (const double v : {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()}) {
        if (!std::isfinite(v) || std::abs(v) > 1e9) {
            return false;
        }
    }
    return true;
}

} // namespace

EmfPlusPlayer::EmfPlusPlayer(QPainter& painter, const QRectF& target, const QTransform& deviceToTarget,
                             QSizeF devicePerMm, MetafileWorkBudget& budget)
    : painter_(painter), origin_(painter.transform()), target_(target), deviceToTarget_(deviceToTarget),
      dpi_(devicePerMm * kMillimetresPerInch), budget_(budget), clipper_(
                                                                    [&] {
                                                                        QPainterPath bounds;
                                                                        bounds.addRect(target);
                                                                        return bounds;
                                                                    }(),
                                                                    budget) {}

bool EmfPlusPlayer::playComment(std::string_view records) {
    // An EMF+ record ends the plain records a device context was handed out for.
    getDc_ = false;
    incomplete_ = false;
    const bool played = playRecords(records);
    // The plain records that stand in for these are drawn in place of what could not be.
    standInDrawn_ = (!played || incomplete_) && dual_ && !budget_.exhausted();
    return played;
}

bool EmfPlusPlayer::playRecords(std::string_view records) {
    std::size_t at = 0;
    while (at + kRecordHeader <= records.size()) {
        MetafileReader head(records.substr(at, kRecordHeader));
        const std::uint16_t type = head.u16(0);
        const std::uint16_t flags = head.u16(2);
        const std::uint32_t size = head.u32(4);
        const std::uint32_t dataSize = head.u32(8);
        if (size < kRecordHeader || size > records.size() - at) {
            return false;
        }
        if (auto ended = pieces_.endedBy(type, flags)) {
            defineObject(ended->flags, ended->bytes);
        }
        if (active_ && pieces_.isPiece(type, flags)) {
            if (auto whole = pieces_.add(flags, records.substr(at, size))) {
                defineObject(whole->flags, whole->bytes);
            }
            at += size;
            continue;
        }
        if (dataSize > size - kRecordHeader) {
            return false;
        }
        Record r(records.substr(at + kRecordHeader, dataSize));
        getDc_ = type == emfplus::EmfPlusGetDC;
        if (budget_.exhausted() || !playRecord(type, flags, r)) {
            return false;
        }
        at += size;
    }
    return true;
}

bool EmfPlusPlayer::playRecord(std::uint16_t type, std::uint16_t flags, Record& r) {
    if (type == emfplus::EmfPlusHeader) {
        const std::uint32_t dpiX = r.u32(kHeaderDpiAt), dpiY = r.u32(kHeaderDpiAt + 4);
        if (r.ok() && dpiX > 0 && dpiX < kMaxDpi && dpiY > 0 && dpiY < kMaxDpi) {
            dpi_ = QSizeF(dpiX, dpiY);
        }
        videoDevice_ = (r.u32(kHeaderFlagsAt) & kVideoDevice) != 0;
        dual_ = (flags & kDual) != 0;
        active_ = true;
        return true;
    }
    if (!active_) {
        return true; // records before a header mean nothing
    }
    if (type == emfplus::EmfPlusObject) {
        if ((flags & kObjectId) >= objects_.size()) {
            return false;
        }
        defineObject(flags, r.all());
        return true;
    }
    if (type >= emfplus::EmfPlusFillRects && type <= emfplus::EmfPlusDrawImagePoints) {
        return playDrawingRecord(type, flags, r);
    }
    if (type == emfplus::EmfPlusDrawString || type == emfplus::EmfPlusDrawDriverString) {
        return playTextRecord(type, flags, r);
    }
    return playStateRecord(type, flags, r);
}

void EmfPlusPlayer::defineObject(std::uint16_t flags, std::string_view data) {
    const std::size_t id = flags & kObjectId;
    const int type = (flags & kObjectType) >> kObjectTypeShift;
    if (id < objects_.size()) {
        auto read = emfplus::readObject(type, data, budget_);
        objects_[id] = read ? std::move(*read) : emfplus::Object{};
    }
}

QSizeF EmfPlusPlayer::unitToPixels(int unit) const {
    // Lengths on paper become pixels at the recording's own dpi.
    const auto perInch = [&](double units) { return QSizeF(dpi_.width() / units, dpi_.height() / units); };
    switch (unit) {
    case emfplus::UnitDisplay: // a printer's display unit is a hundredth of an inch
        return videoDevice_ ? QSizeF(1, 1) : perInch(100);
    case emfplus::UnitPoint:
        return perInch(72);
    case emfplus::UnitInch:
        return perInch(1);
    case emfplus::UnitDocument:
        return perInch(300);
    case emfplus::UnitMillimeter:
        return perInch(25.4);
    default: // world and pixel units
        return QSizeF(1, 1);
    }
}

QTransform EmfPlusPlayer::worldToTarget() const {
    // A pixel of the recording is a device unit of the enhanced metafile around it: GDI+ records
    // both through the same device, so its records and the plain ones it draws meet there.
    const QSizeF page = unitToPixels(state_.pageUnit) * state_.pageScale;
    return state_.world * QTransform::fromScale(page.width(), page.height()) * deviceToTarget_;
}

void EmfPlusPlayer::combineClip(const QPainterPath& targetPath, int mode) {
    // Replace, intersect, union, xor, exclude as the plain records' region modes; complement
    // keeps the new path outside the present clip.
    static constexpr int kRegionModes[] = {5, 1, 2, 3, 4};
    if (mode >= 0 && mode < 5) {
        clipper_.combine(state_.clip, targetPath, kRegionModes[mode]);
    } else if (mode == 5) {
        const QPainterPath& current = state_.clip ? *state_.clip : clipper_.bounds();
        if (budget_.combine(targetPath.elementCount(), current.elementCount())) {
            clipper_.combine(state_.clip, targetPath.subtracted(current), 5);
        }
    }
}

bool EmfPlusPlayer::playStateRecord(std::uint16_t type, std::uint16_t flags, Record& r) {
    const bool append = (flags & 0x2000) != 0;
    const auto multiply = [&](const QTransform& m) {
        if (!r.ok() || !finite(m)) {
            return false;
        }
        const QTransform next = append ? state_.world * m : m * state_.world;
        if (finite(next)) {
            state_.world = next;
        }
        return true;
    };
    switch (type) {
    case emfplus::EmfPlusClear:
        if (begin(worldToTarget().inverted().mapRect(target_))) {
            painter_.resetTransform();
            painter_.setTransform(origin_);
            painter_.setCompositionMode(QPainter::CompositionMode_Source);
            painter_.fillRect(target_, emfplus::argb(r.u32(0)));
            end();
        }
        return true;
    case emfplus::EmfPlusSetWorldTransform: {
        const QTransform m(r.f32(0), r.f32(4), r.f32(8), r.f32(12), r.f32(16), r.f32(20));
        if (r.ok() && finite(m)) {
            state_.world = m;
        }
        return r.ok();
    }
    case emfplus::EmfPlusResetWorldTransform:
        state_.world = QTransform();
        return true;
    case emfplus::EmfPlusMultiplyWorldTransform:
        return multiply(QTransform(r.f32(0), r.f32(4), r.f32(8), r.f32(12), r.f32(16), r.f32(20)));
    case emfplus::EmfPlusTranslateWorldTransform:
        return multiply(QTransform::fromTranslate(r.f32(0), r.f32(4)));
    case emfplus::EmfPlusScaleWorldTransform:
        return multiply(QTransform::fromScale(r.f32(0), r.f32(4)));
    case emfplus::EmfPlusRotateWorldTransform: {
        QTransform rotation;
        rotation.rotate(r.f32(0));
        return multiply(rotation);
    }
    case emfplus::EmfPlusSetPageTransform: {
        const double scale = r.f32(0);
        if (std::isfinite(scale) && scale > 0 && scale < 1e6) {
            state_.pageUnit = flags & 0xFF;
            state_.pageScale = scale;
        }
        return true;
    }
    case emfplus::EmfPlusResetClip:
        state_.clip.reset();
        return true;
    case emfplus::EmfPlusSetClipRect: {
        QPainterPath path;
        path.addRect(emfplus::readRect(r, 0, false).normalized());
        combineClip(worldToTarget().map(path), (flags >> 8) & 0xF);
        return r.ok();
    }
    case emfplus::EmfPlusSetClipPath:
    case emfplus::EmfPlusSetClipRegion: {
        if (const auto* path = std::get_if<QPainterPath>(object(flags & 0xFF))) {
            combineClip(worldToTarget().map(*path), (flags >> 8) & 0xF);
        }
        return true;
    }
    case emfplus::EmfPlusOffsetClip:
        if (state_.clip) {
            const QTransform t = worldToTarget();
            state_.clip = state_.clip->translated(t.map(QPointF(r.f32(0), r.f32(4))) - t.map(QPointF()));
        }
        return true;
    case emfplus::EmfPlusSave:
    case emfplus::EmfPlusBeginContainer:
    case emfplus::EmfPlusBeginContainerNoParams: {
        if (saved_.size() >= kMaxSaved) {
            return true;
        }
        const std::size_t indexAt = type == emfplus::EmfPlusBeginContainer ? 32 : 0;
        saved_.emplace_back(r.u32(indexAt), state_);
        if (type == emfplus::EmfPlusBeginContainer) { // the source rectangle lands on the destination
            const QRectF dest = emfplus::readRect(r, 0, false), source = emfplus::readRect(r, 16, false);
            if (source.width() != 0 && source.height() != 0) {
                QTransform t = QTransform::fromTranslate(-source.x(), -source.y());
                t *= QTransform::fromScale(dest.width() / source.width(), dest.height() / source.height());
                t *= QTransform::fromTranslate(dest.x(), dest.y());
                multiply(t);
            }
        }
        return r.ok();
    }
    case emfplus::EmfPlusRestore:
    case emfplus::EmfPlusEndContainer: {
        const std::uint32_t index = r.u32(0);
        for (std::size_t i = saved_.size(); i-- > 0;) {
            if (saved_[i].first == index) {
                state_ = saved_[i].second;
                saved_.resize(i);
                break;
            }
        }
        return true;
    }
    default: // rendering hints, comments and records without a drawing of their own
        return true;
    }
}

bool EmfPlusPlayer::begin(const QRectF& worldBounds) {
    const QRectF covered = worldToTarget().mapRect(worldBounds).intersected(target_);
    const double area = covered.width() * covered.height();
    const QPainterPath& clip = state_.clip ? *state_.clip : clipper_.bounds();
    // The clip is laid over the target as a combination would be.
    if (!budget_.spend(MetafileWorkBudget::kCallWork + (std::isfinite(area) ? area : 0)) ||
        (state_.clip && !budget_.combine(clipper_.bounds().elementCount(), clip.elementCount()))) {
        return false;
    }
    painter_.save();
    painter_.setTransform(origin_);
    painter_.setClipPath(clip, Qt::ReplaceClip);
    painter_.setTransform(worldToTarget() * origin_);
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_.setOpacity(1.0);
    return true;
}

void EmfPlusPlayer::end() {
    painter_.restore();
}

const emfplus::Object* EmfPlusPlayer::object(std::size_t id) const {
    return id < objects_.size() ? &objects_[id] : nullptr;
}

} // namespace velmoa
