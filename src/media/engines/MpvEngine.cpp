#include "media/engines/MpvEngine.h"

#include "base/Failure.h"
#include "media/engines/MediaPlaylist.h"
#include "media/engines/MpvHeadStart.h"
#include "media/engines/MpvLibrary.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMetaObject>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <mpv/client.h>

namespace velmoa {
namespace {

// Called only once a handle exists, which the library's presence allows.
const MpvLibrary& mpv() {
    return *MpvLibrary::get();
}

enum Observed : std::uint64_t { TimePos = 1, Duration, EofReached };

// The end of the media is reported only once it is heard: until then the position stays short of
// the last two units, where the window's timer takes the media for ended.
constexpr std::int32_t kEndMarginMs = 2;

// Longest wait for mpv to unload a file.
constexpr int kCloseTimeoutMs = 3000;

// Where the video surface waits while no video is open: beside the display, so nothing of it shows.
constexpr QRect kParkedSurface(-1, -1, 1, 1);

std::int32_t toMilliseconds(double seconds) {
    const double ms = std::round(seconds * 1000.0);
    if (!(ms > 0)) {
        return 0;
    }
    return ms >= 2147483647.0 ? 2147483647 : static_cast<std::int32_t>(ms);
}

} // namespace

MpvEngine::MpvEngine(Outputs outputs) : outputs_(outputs) {
    endHeardTimer_.setSingleShot(true);
    connect(&endHeardTimer_, &QTimer::timeout, this, &MpvEngine::endHeard);
}

MpvEngine::~MpvEngine() {
    if (mpv_) {
        // No more wake-ups into this object, then mpv's threads end.
        mpv().set_wakeup_callback(mpv_, nullptr, nullptr);
        mpv().terminate_destroy(mpv_);
    }
}

void MpvEngine::setDisplay(QWidget* display) {
    display_ = display;
    // A window of its own, so that the window system cuts the video at the display's edges: a native
    // child is not clipped by a parent that is drawn in its window's backing store.
    display_->setAttribute(Qt::WA_DontCreateNativeAncestors);
    display_->setAttribute(Qt::WA_NativeWindow);
    surface_ = new QWidget(display);
    surface_->setObjectName(QStringLiteral("VideoSurface"));
    surface_->setAttribute(Qt::WA_NativeWindow);
    // Presses go to the display panel, which shows and hides the media bar.
    surface_->setAttribute(Qt::WA_TransparentForMouseEvents);
    surface_->setAutoFillBackground(true);
    QPalette pal = surface_->palette();
    pal.setColor(QPalette::Window, Qt::black);
    surface_->setPalette(pal);
    // Never hidden: a surface mapped while mpv sets up its video makes mpv take its own window for
    // shown, and leave it unmapped. Without video it stands outside the display, which cuts it away.
    surface_->setGeometry(kParkedSurface);
}

MpvPlayerSettings MpvEngine::playerSettings(bool embed) const {
    MpvPlayerSettings settings;
    settings.null = outputs_ == Outputs::Null;
    settings.embed = embed;
    return settings;
}

bool MpvEngine::onX11() const {
    // mpv embeds its video only in an X11 window (XWayland included). Without one (native Wayland)
    // it would open a window of its own, so there the picture is left out and the sound plays.
    return outputs_ != Outputs::Null && QGuiApplication::platformName() == QLatin1String("xcb");
}

bool MpvEngine::embedsVideo() const {
    return surface_ && onX11();
}

void MpvEngine::ensureHandle() {
    if (mpv_) {
        return;
    }
    mpv_ = makeMpvPlayer(playerSettings(embedsVideo()));
    if (!mpv_) {
        throw Failure(kUnknownErrorMessage);
    }
    takeEvents();
}

void MpvEngine::takeEvents() {
    if (embedsVideo()) {
        std::int64_t wid = static_cast<std::int64_t>(surface_->winId());
        mpv().set_option(mpv_, "wid", MPV_FORMAT_INT64, &wid);
    }
    // A player made ahead chose no video track: now that its window is known, it may.
    mpv().set_property_string(mpv_, "vid", "auto");
    mpv().observe_property(mpv_, TimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv().observe_property(mpv_, Duration, "duration", MPV_FORMAT_DOUBLE);
    mpv().observe_property(mpv_, EofReached, "eof-reached", MPV_FORMAT_FLAG);
    mpv().set_wakeup_callback(
        mpv_,
        [](void* self) {
            auto* engine = static_cast<MpvEngine*>(self);
            if (!engine->pumpQueued_.exchange(true)) {
                QMetaObject::invokeMethod(engine, &MpvEngine::pump, Qt::QueuedConnection);
            }
        },
        this);
}

void MpvEngine::prepareOpening(const std::string& path) {
    if (mpv_ || headStart_) {
        return;
    }
    // The display comes with the window, built meanwhile.
    MpvPlayerSettings settings = playerSettings(onX11());
    settings.videoHeld = true;
    headStart_ = std::make_unique<MpvHeadStart>(path, settings);
}

bool MpvEngine::openMadeAhead(const std::string& path) {
    const std::unique_ptr<MpvHeadStart> headStart = std::move(headStart_);
    std::optional<MpvHeadStart::Opened> opened = headStart->take(path);
    if (!opened || !opened->player) {
        return false;
    }
    if (opened->settings.embed != embedsVideo()) {
        // Made for another window than the one there is: the step makes its own.
        mpv().terminate_destroy(opened->player);
        return false;
    }
    mpv_ = opened->player;
    takeEvents();
    pump();
    if (opened->load.failure) {
        // Opened again by the step, which reports the failure in its own time.
        return false;
    }
    entryIds_ = opened->load.entryIds;
    entryStarted(opened->load.loadedEntry);
    files_ = std::move(opened->files);
    standAtStart();
    return true;
}

void MpvEngine::pump() {
    pumpQueued_ = false;
    if (!mpv_) {
        return;
    }
    for (;;) {
        const mpv_event* event = mpv().wait_event(mpv_, 0);
        if (event->event_id == MPV_EVENT_NONE) {
            return;
        }
        handle(*event);
    }
}

double MpvEngine::now() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void MpvEngine::handle(const mpv_event& event) {
    switch (event.event_id) {
    case MPV_EVENT_PLAYBACK_RESTART:
        seeking_ = false;
        break;
    case MPV_EVENT_START_FILE:
        entryStarted(static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id);
        break;
    case MPV_EVENT_FILE_LOADED:
        if (open_ && switching_) {
            readLoadedEntry();
        }
        break;
    case MPV_EVENT_IDLE:
        // The entries left after the one that played all failed: the list is over.
        if (open_ && !unloaded_) {
            unloaded_ = true;
            reachedEnd();
        }
        break;
    case MPV_EVENT_PROPERTY_CHANGE:
        handleProperty(event);
        break;
    default:
        break;
    }
}

void MpvEngine::handleProperty(const mpv_event& event) {
    const auto* property = static_cast<const mpv_event_property*>(event.data);
    const bool has = property->format != MPV_FORMAT_NONE && property->data;
    switch (event.reply_userdata) {
    case TimePos:
        if (has && open_ && playing_ && !seeking_ && !switching_ && !heldAtStart_ && !eof_) {
            heard_.report(*static_cast<double*>(property->data), now(), duration_);
        }
        break;
    case Duration:
        if (has && !switching_) {
            duration_ = *static_cast<double*>(property->data);
        }
        break;
    case EofReached: {
        const bool eof = has && *static_cast<int*>(property->data);
        if (!seeking_ && eof && !eof_ && open_) {
            reachedEnd();
        }
        break;
    }
    default:
        break;
    }
}

void MpvEngine::entryStarted(std::int64_t entryId) {
    const auto it = std::find(entryIds_.begin(), entryIds_.end(), entryId);
    if (it == entryIds_.end()) {
        return;
    }
    entry_ = static_cast<std::size_t>(it - entryIds_.begin());
    // The next entry of a list: what the timer reads stays the last entry's until it is loaded.
    switching_ = open_;
}

void MpvEngine::readLoadedEntry() {
    double value = 0;
    duration_ = mpv().get_property(mpv_, "duration", MPV_FORMAT_DOUBLE, &value) >= 0 ? value : 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    hasVideo_ = mpv().get_property(mpv_, "width", MPV_FORMAT_INT64, &width) >= 0 &&
                mpv().get_property(mpv_, "height", MPV_FORMAT_INT64, &height) >= 0 && width > 0 && height > 0;
    if (surface_) {
        // The video's own size from the top-left corner, until a display rectangle is given; an
        // entry without picture leaves nothing of the surface to see.
        surface_->setGeometry(hasVideo_ ? QRect(0, 0, static_cast<int>(width), static_cast<int>(height))
                                        : kParkedSurface);
    }
    switching_ = false;
    heard_.reset(0, now());
}

void MpvEngine::reachedEnd() {
    eof_ = true;
    const double left = playing_ && outputs_ == Outputs::Desktop ? heard_.leftToHear(now(), duration_) : 0;
    endHeardTimer_.start(static_cast<int>(std::ceil(left * 1000.0)));
}

void MpvEngine::endHeard() {
    if (!open_ || !eof_) {
        return;
    }
    endHeard_ = true;
    if (playing_) {
        playing_ = false;
        if (ended_) {
            ended_();
        }
    }
}

void MpvEngine::command(std::initializer_list<const char*> words) {
    std::vector<const char*> args(words);
    args.push_back(nullptr);
    // Failures of commands on an open device are not reported.
    mpv().command(mpv_, args.data());
}

void MpvEngine::open(const std::string& path) {
    close();
    if (headStart_ && openMadeAhead(path)) {
        return;
    }
    const MediaEntries entries = mediaEntries(path);
    ensureHandle();
    pump();
    load(entries.files);
    files_ = entries.files;
}

void MpvEngine::load(const std::vector<std::string>& files) {
    entryIds_.clear();
    const MpvLoad load = loadPaused(mpv_, files, [this](const mpv_event& event) { handle(event); });
    if (load.failure) {
        throw Failure(load.failure);
    }
    entryIds_ = load.entryIds;
    entryStarted(load.loadedEntry);
    standAtStart();
}

void MpvEngine::standAtStart() {
    // A device just opened stands at its start. Paused there, mpv still reports the time of the
    // first decoded frame for a moment in some containers (128 ms into a WMA).
    heldAtStart_ = true;
    eof_ = false;
    endHeard_ = false;
    unloaded_ = false;
    seeking_ = false;
    playing_ = false;
    readLoadedEntry();
    open_ = true;
}

void MpvEngine::close() {
    endHeardTimer_.stop();
    if (mpv_ && open_) {
        command({"stop"});
        // mpv takes its video window down before it reports idle; the display may go right after.
        QElapsedTimer waited;
        waited.start();
        for (;;) {
            const double left = (kCloseTimeoutMs - waited.elapsed()) / 1000.0;
            const mpv_event* event = mpv().wait_event(mpv_, std::max(left, 0.0));
            if (event->event_id == MPV_EVENT_IDLE || left <= 0) {
                break;
            }
        }
    }
    if (surface_) {
        surface_->setGeometry(kParkedSurface);
    }
    open_ = false;
    playing_ = false;
    hasVideo_ = false;
    eof_ = false;
    endHeard_ = false;
    switching_ = false;
    files_.clear();
    entryIds_.clear();
    entry_ = 0;
    heard_.reset(0, now());
    duration_ = 0;
}

void MpvEngine::play() {
    if (!open_) {
        throw Failure(kNoDeviceMessage);
    }
    if (eof_) {
        rewind();
    }
    mpv().set_property_string(mpv_, "pause", "no");
    playing_ = true;
    heldAtStart_ = false;
    heard_.reset(heard_.at(heard_.reportedAt()), now());
}

void MpvEngine::stop() {
    if (!open_) {
        throw Failure(kNoDeviceMessage);
    }
    // mpv's own stop command would unload the file.
    mpv().set_property_string(mpv_, "pause", "yes");
    if (playing_) {
        heard_.reset(heard_.at(now()), now());
    }
    playing_ = false;
    // Stopped while the last sound played out: it stands at its end.
    if (eof_) {
        endHeardTimer_.stop();
        endHeard_ = true;
    }
}

void MpvEngine::rewind() {
    if (!open_) {
        throw Failure(kNoDeviceMessage);
    }
    if (entry_ == 0 && !unloaded_) {
        seekTo(0);
        return;
    }
    // A list goes back to its first entry, loaded again as at the open.
    entry_ = 0;
    open_ = false;
    try {
        load(files_);
    } catch (const Failure&) {
        // Failures of commands on an open device are not reported: it stays at its end.
        open_ = true;
        eof_ = endHeard_ = unloaded_ = true;
    }
}

void MpvEngine::seekTo(double seconds) {
    const std::string target = std::to_string(seconds);
    command({"seek", target.c_str(), "absolute+exact"});
    seeking_ = true;
    heldAtStart_ = false;
    eof_ = false;
    endHeard_ = false;
    endHeardTimer_.stop();
    heard_.reset(seconds, now());
}

std::int32_t MpvEngine::position() {
    // The values come from mpv's events, which the UI thread takes in as they come.
    if (!open_) {
        return 0;
    }
    const std::int32_t length = lengthMs();
    if (endHeard_) {
        return length;
    }
    // Standing still, the heard position stays where it was last reported.
    const double heard = heard_.at(playing_ && !seeking_ && !switching_ ? now() : heard_.reportedAt());
    return std::clamp(toMilliseconds(heard), 0, std::max(0, length - kEndMarginMs));
}

void MpvEngine::setPosition(std::int32_t milliseconds) {
    if (!open_) {
        throw Failure(kNoDeviceMessage);
    }
    seekTo(std::clamp(milliseconds, 0, lengthMs()) / 1000.0);
}

std::int32_t MpvEngine::length() {
    if (!open_) {
        throw Failure(kNoDeviceMessage);
    }
    return lengthMs();
}

std::int32_t MpvEngine::lengthMs() const {
    return toMilliseconds(duration_);
}

void MpvEngine::setDisplayRect(const QRect& rect) {
    if (open_ && hasVideo_ && surface_) {
        surface_->setGeometry(rect);
    }
}

} // namespace velmoa
