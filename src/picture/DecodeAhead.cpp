#include "picture/DecodeAhead.h"

#include "base/Paths.h"
#include "formats/image/JpegPictureData.h"
#include "formats/picture/Picture.h"
#include "picture/DecodeAheadPolicy.h"
#include "picture/FitPicture.h"

#include <QSizeF>
#include <algorithm>

namespace velmoa {
namespace {

// The device pixels a picture of this upright size is drawn at in the area, as the window fits it.
JpegPrepareJob::TargetFor targetIn(const PictureArea& area) {
    return [area](const QSize& upright) {
        const PictureBox box =
            fitToClient(upright.width(), upright.height(), area.client.width(), area.client.height());
        return (QSizeF(box.width, box.height) * area.devicePixelRatio).toSize();
    };
}

bool isReady(const std::shared_future<PreparedJpeg>& result) {
    return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

// The preparation, waiting for it if need be; nothing when it failed or the worker stopped before
// it came to the file.
const PreparedJpeg* outcome(const std::shared_future<PreparedJpeg>& result) {
    try {
        return &result.get();
    } catch (...) {
        return nullptr;
    }
}

} // namespace

DecodeAhead::~DecodeAhead() {
    drop(entries_);
}

DecodeAhead::Entry DecodeAhead::start(const std::string& path, const PictureArea& area) {
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    auto promise = std::make_shared<std::promise<PreparedJpeg>>();
    Entry entry{path, area, cancel, promise->get_future().share(), ReadyFlag()};
    worker_.post([path, area, cancel, promise, ready = entry.ready]() mutable {
        try {
            promise->set_value(*cancel ? PreparedJpeg{} : JpegPrepareJob::run(path, targetIn(area), *cancel));
        } catch (...) {
            promise->set_exception(std::current_exception());
        }
        // After the result, so that whoever is told finds it there.
        ready.set();
    });
    return entry;
}

bool DecodeAhead::stillFits(const Entry& entry, const PictureArea& area) const {
    if (entry.area.devicePixelRatio != area.devicePixelRatio) {
        return false;
    }
    if (entry.area.client == area.client) {
        return true;
    }
    // Pixels are prepared at the fitted size; another area may still fit the picture to that size
    // (a side the picture does not fill changed).
    if (!isReady(entry.result)) {
        return false;
    }
    const PreparedJpeg* prepared = outcome(entry.result);
    return prepared && prepared->decode &&
           prepared->decode->serves(JpegPrepareJob::storedTarget(prepared->header, targetIn(area)));
}

void DecodeAhead::drop(std::vector<Entry>& entries) {
    for (Entry& entry : entries) {
        *entry.cancel = true;
    }
    entries.clear();
}

void DecodeAhead::prepareOpening(const std::string& path, const PictureArea& area) {
    drop(entries_);
    if (JpegPrepareJob::handles(path)) {
        entries_.push_back(start(path, area));
    }
}

void DecodeAhead::prepareAround(const std::vector<std::string>& list, int current, int direction,
                                const PictureArea& area) {
    std::vector<Entry> kept;
    for (const int index : DecodeAheadPolicy::neighbours(static_cast<int>(list.size()), current, direction)) {
        const std::string& path = list[static_cast<std::size_t>(index)];
        if (!JpegPrepareJob::handles(path)) {
            continue;
        }
        const auto old = std::find_if(entries_.begin(), entries_.end(),
                                      [&](const Entry& e) { return e.path == path && stillFits(e, area); });
        if (old != entries_.end()) {
            kept.push_back(std::move(*old));
            entries_.erase(old);
        } else {
            kept.push_back(start(path, area));
        }
    }
    drop(entries_);
    entries_ = std::move(kept);
}

void DecodeAhead::keepOnlyFolder(const std::string& folder) {
    std::vector<Entry> elsewhere;
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (folderPart(it->path) != folder) {
            elsewhere.push_back(std::move(*it));
            it = entries_.erase(it);
        } else {
            ++it;
        }
    }
    drop(elsewhere);
}

void DecodeAhead::dropAll() {
    drop(entries_);
}

void DecodeAhead::offerTo(const Picture& picture, const std::string& path, const FileIdentity& identity) {
    const auto found =
        std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.path == path; });
    if (found == entries_.end()) {
        ++counts_.missed;
        return;
    }
    // From here the picture owns it: no later drop cancels a decode that a draw may wait for, but
    // a picture stepped past before it was drawn (a key held down) takes its decode with it.
    const std::shared_future<PreparedJpeg> result = found->result;
    const ReadyFlag ready = found->ready;
    const auto cancelWhenDropped =
        std::shared_ptr<void>(nullptr, [cancel = found->cancel](void*) { *cancel = true; });
    entries_.erase(found);
    const auto* jpeg = dynamic_cast<const JpegPictureData*>(picture.data());
    if (!jpeg) {
        ++counts_.missed;
        return;
    }
    if (!isReady(result)) {
        ++counts_.running;
    } else {
        const PreparedJpeg* prepared = outcome(result);
        ++(prepared && prepared->file == identity && prepared->decode ? counts_.ready : counts_.missed);
    }
    jpeg->offerPrepared(
        [result, identity, cancelWhenDropped]() -> std::shared_ptr<const JpegDisplayDecode> {
            const PreparedJpeg* prepared = outcome(result);
            return prepared && prepared->file == identity ? prepared->decode : nullptr;
        },
        ready);
}

void DecodeAhead::waitUntilPrepared() const {
    for (const Entry& entry : entries_) {
        entry.result.wait();
    }
}

std::vector<std::string> DecodeAhead::preparedPaths() const {
    std::vector<std::string> paths;
    for (const Entry& entry : entries_) {
        paths.push_back(entry.path);
    }
    return paths;
}

} // namespace velmoa
