#pragma once

#include "base/ReadyFlag.h"
#include "picture/JpegPrepareJob.h"
#include "platform/ReadOnlyFile.h"
#include "platform/WorkerThread.h"

#include <QSize>
#include <atomic>
#include <future>
#include <memory>
#include <string>
#include <vector>

namespace velmoa {

class Picture;

// The area pictures are fitted into: the client size and the screen's device pixel ratio.
struct PictureArea {
    QSize client;
    qreal devicePixelRatio = 1.0;
};

// Decodes pictures on a worker thread before their step needs them: the picture an opening is
// about to show, and the neighbours of the shown one. Only pixels are prepared; each step still
// opens its file and reads its header, and takes a prepared decode only when the file it read is
// the one that was prepared. At most DecodeAheadPolicy::kMaxPrepared are kept, and stale ones are
// cancelled at once. Used from the UI thread only.
class DecodeAhead {
  public:
    DecodeAhead() = default;
    ~DecodeAhead();
    DecodeAhead(const DecodeAhead&) = delete;
    DecodeAhead& operator=(const DecodeAhead&) = delete;

    // Starts on the picture an opening will show (at start-up, before the window exists).
    void prepareOpening(const std::string& path, const PictureArea& area);
    // After list position current is shown: prepares its neighbours, the next one in the direction
    // of travel first, and drops every other preparation.
    void prepareAround(const std::vector<std::string>& list, int current, int direction,
                       const PictureArea& area);
    // The folder changed: preparations of pictures elsewhere go.
    void keepOnlyFolder(const std::string& folder);
    void dropAll();

    // At a step: hands the prepared decode of path, if any, to the picture just loaded from it,
    // which uses it only if identity (the file the step read) is the file that was prepared.
    void offerTo(const Picture& picture, const std::string& path, const FileIdentity& identity);

    // The paths being prepared or prepared, in the order they were asked for.
    std::vector<std::string> preparedPaths() const;
    // Blocks until every preparation asked for has finished (for measurements and checks).
    void waitUntilPrepared() const;

    // How the steps found their pictures: already prepared, still being prepared, not at all.
    struct Counts {
        int ready = 0;
        int running = 0;
        int missed = 0;
    };
    const Counts& counts() const { return counts_; }

  private:
    struct Entry {
        std::string path;
        PictureArea area;
        std::shared_ptr<std::atomic<bool>> cancel;
        std::shared_future<PreparedJpeg> result;
        ReadyFlag ready; // set once result has been given
    };
    Entry start(const std::string& path, const PictureArea& area);
    bool stillFits(const Entry& entry, const PictureArea& area) const;
    void drop(std::vector<Entry>& entries);

    std::vector<Entry> entries_;
    Counts counts_;
    // Last, so that it stops before the entries go.
    WorkerThread worker_;
};

} // namespace velmoa
