#include "media/engines/MpvEngine.h"

#include "base/Failure.h"
#include "base/Paths.h"
#include "formats/playlist/XmlPlaylist.h"
#include "media/engines/MpvLibrary.h"
#include "platform/ReadOnlyFile.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMetaObject>
#include <QWidget>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <mpv/client.h>
#include <optional>

namespace velmoa {
namespace {

// Called only once a handle exists, which the library's presence allows.
const MpvLibrary& mpv() {
    return *MpvLibrary::get();
}

enum Observed : std::uint64_t { TimePos = 1, Duration, EofReached };

// XML playlists are small; a larger file is not one.
constexpr std::int64_t kMaxPlaylistBytes = 4 * 1024 * 1024;

// mpv does not read the XML playlists of Windows Media: their entries are handed over as an M3U
// playlist held in memory. Other files go to mpv by name.
std::string mpvTarget(const std::string& path) {
    const std::string ext = asciiUpper(extension(path));
    if (ext != ".ASX" && ext != ".WAX" && ext != ".WVX" && ext != ".WPL") {
        return path;
    }
    ReadOnlyFile file(path);
    if (!file.isOpen() || file.size() > kMaxPlaylistBytes) {
        throw Failure("loading failed");
    }
    const std::vector<std::string> entries = readXmlPlaylist(file.readAll(), folderPart(path));
    if (entries.empty()) {
        throw Failure("unrecognized file format");
    }
    std::string list = "memory://#EXTM3U\n";
    for (const std::string& entry : entries) {
        list += entry + "\n";
    }
    return list;
}

// Longest wait for a file to load before the open gives up.
constexpr int kOpenTimeoutMs = 10000;
// Longest wait for mpv to unload a file.
constexpr int kCloseTimeoutMs = 3000;

std::int32_t toMilliseconds(double seconds) {
    const double ms = std::round(seconds * 1000.0);
    if (!(ms > 0)) {
        return 0;
    }
    return ms >= 2147483647.0 ? 2147483647 : static_cast<std::int32_t>(ms);
}

// What an open waits for: the file (or the first playable entry of a playlist) loaded, or the
// failure of the entries that came from it.
class LoadWatch {
  public:
    // entry: the id loadfile gave, when mpv gave one; without it the first file started counts.
    explicit LoadWatch(std::optional<std::int64_t> entry) : own_(entry) {
        if (entry) {
            entries_.insert(*entry);
        }
    }
    // Returns true once the outcome is known; then failure() is empty on success.
    bool see(const mpv_event& event) {
        switch (event.event_id) {
        case MPV_EVENT_START_FILE:
            started_ = ours(static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id);
            return false;
        case MPV_EVENT_FILE_LOADED:
            if (started_) {
                failure_.clear();
            }
            return started_;
        case MPV_EVENT_END_FILE:
            return seeEnd(*static_cast<const mpv_event_end_file*>(event.data));
        case MPV_EVENT_IDLE:
            // Every entry failed.
            return !failure_.empty();
        default:
            return false;
        }
    }
    const std::string& failure() const { return failure_; }

  private:
    bool ours(std::int64_t id) const { return entries_.empty() ? !own_ : entries_.count(id) > 0; }

    bool seeEnd(const mpv_event_end_file& end) {
        if (!ours(end.playlist_entry_id)) {
            return false;
        }
        if (end.reason == MPV_END_FILE_REASON_REDIRECT) {
            // A playlist: its entries take its place.
            for (int i = 0; i < end.playlist_insert_num_entries; ++i) {
                entries_.insert(end.playlist_insert_id + i);
            }
            if (end.playlist_insert_num_entries == 0) {
                failure_ = kUnknownErrorMessage;
                return true;
            }
            return false;
        }
        failure_ =
            end.reason == MPV_END_FILE_REASON_ERROR ? mpv().error_string(end.error) : kUnknownErrorMessage;
        // A failed playlist entry lets mpv go on to the next one; the file itself failing ends the wait.
        return own_ && end.playlist_entry_id == *own_;
    }

    std::optional<std::int64_t> own_;
    std::set<std::int64_t> entries_;
    bool started_ = false;
    std::string failure_;
};

} // namespace

MpvEngine::MpvEngine(Outputs outputs) : outputs_(outputs) {}

MpvEngine::~MpvEngine() {
    if (mpv_) {
        // No more wake-ups into this object, then mpv's threads end.
        mpv().set_wakeup_callback(mpv_, nullptr, nullptr);
        mpv().terminate_destroy(mpv_);
    }
}

void MpvEngine::setDisplay(QWidget* display) {
    display_ = display;
    surface_ = new QWidget(display);
    surface_->setObjectName(QStringLiteral("VideoSurface"));
    surface_->setAttribute(Qt::WA_DontCreateNativeAncestors);
    surface_->setAttribute(Qt::WA_NativeWindow);
    // Presses go to the display panel, which shows and hides the media bar.
    surface_->setAttribute(Qt::WA_TransparentForMouseEvents);
    surface_->setAutoFillBackground(true);
    QPalette pal = surface_->palette();
    pal.setColor(QPalette::Window, Qt::black);
    surface_->setPalette(pal);
    // Kept shown (the display panel hides it with itself): a surface hidden and shown again loses
    // mpv's window inside it.
}

void MpvEngine::ensureHandle() {
    if (mpv_) {
        return;
    }
    // mpv reads numbers with the C library and refuses to start under a locale with decimal commas;
    // Qt has set the user's locale by now.
    std::setlocale(LC_NUMERIC, "C");
    if (!MpvLibrary::get()) {
        throw Failure(kUnknownErrorMessage);
    }
    mpv_ = mpv().create();
    if (!mpv_) {
        throw Failure(kUnknownErrorMessage);
    }
    const bool null = outputs_ == Outputs::Null;
    // mpv embeds its video only in an X11 window (XWayland included). Without one (native Wayland)
    // it would open a window of its own, so there the picture is left out and the sound plays.
    const bool embed = !null && surface_ && QGuiApplication::platformName() == QLatin1String("xcb");
    const std::pair<const char*, const char*> options[] = {
        // Nothing read from or written to the user's files: no configuration, scripts, resume data.
        {"config", "no"},
        {"load-scripts", "no"},
        {"ytdl", "no"},
        {"resume-playback", "no"},
        {"save-position-on-quit", "no"},
        // A local playlist must not make the viewer fetch anything from the network.
        {"stream-lavf-o", "protocol_whitelist=file"},
        {"terminal", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"input-cursor", "no"},
        {"osc", "no"},
        {"osd-level", "0"},
        // Cover pictures of sound files are not video.
        {"audio-display", "no"},
        // At the end the file stays loaded and paused, so that position and length stay readable.
        {"keep-open", "yes"},
        {"idle", "yes"},
        {"ao", null ? "null" : "pipewire,pulse,alsa,null"},
        {"vo", embed ? "gpu,x11,null" : "null"},
        {"gpu-sw", "yes"},
        {"ao-null-untimed", null ? "yes" : "no"},
        {"untimed", null ? "yes" : "no"},
    };
    for (const auto& [name, value] : options) {
        mpv().set_option_string(mpv_, name, value);
    }
    if (embed) {
        std::int64_t wid = static_cast<std::int64_t>(surface_->winId());
        mpv().set_option(mpv_, "wid", MPV_FORMAT_INT64, &wid);
    }
    if (mpv().initialize(mpv_) < 0) {
        mpv().terminate_destroy(mpv_);
        mpv_ = nullptr;
        throw Failure(kUnknownErrorMessage);
    }
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

void MpvEngine::handle(const mpv_event& event) {
    if (event.event_id == MPV_EVENT_PLAYBACK_RESTART) {
        seeking_ = false;
        return;
    }
    if (event.event_id != MPV_EVENT_PROPERTY_CHANGE) {
        return;
    }
    const auto* property = static_cast<const mpv_event_property*>(event.data);
    const bool has = property->format != MPV_FORMAT_NONE && property->data;
    switch (event.reply_userdata) {
    case TimePos:
        if (!seeking_ && !heldAtStart_) {
            timePos_ = has ? *static_cast<double*>(property->data) : 0;
        }
        break;
    case Duration:
        if (has) {
            duration_ = *static_cast<double*>(property->data);
        }
        break;
    case EofReached: {
        const bool eof = has && *static_cast<int*>(property->data);
        if (seeking_ || eof == eof_) {
            break;
        }
        eof_ = eof;
        if (eof_ && open_ && playing_) {
            playing_ = false;
            if (ended_) {
                ended_();
            }
        }
        break;
    }
    default:
        break;
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
    const std::string target = mpvTarget(path);
    ensureHandle();
    pump();
    // Loaded standing still: playback starts with play().
    mpv().set_property_string(mpv_, "pause", "yes");
    const char* args[] = {"loadfile", target.c_str(), "replace", nullptr};
    mpv_node result{};
    if (mpv().command_ret(mpv_, args, &result) < 0) {
        throw Failure(kUnknownErrorMessage);
    }
    std::optional<std::int64_t> entry;
    if (result.format == MPV_FORMAT_NODE_MAP) {
        for (int i = 0; i < result.u.list->num; ++i) {
            if (std::string(result.u.list->keys[i]) == "playlist_entry_id" &&
                result.u.list->values[i].format == MPV_FORMAT_INT64) {
                entry = result.u.list->values[i].u.int64;
            }
        }
    }
    mpv().free_node_contents(&result);

    // loadfile returns at once; the file is loaded (or has failed) some tens of milliseconds later.
    LoadWatch watch(entry);
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const double left = (kOpenTimeoutMs - waited.elapsed()) / 1000.0;
        if (left <= 0) {
            command({"stop"});
            throw Failure(kUnknownErrorMessage);
        }
        const mpv_event* event = mpv().wait_event(mpv_, left);
        handle(*event);
        if (watch.see(*event)) {
            break;
        }
    }
    if (!watch.failure().empty()) {
        command({"stop"});
        throw Failure(watch.failure());
    }
    readLoadedFile();
}

void MpvEngine::readLoadedFile() {
    // Read once, at open: values are current before the first tick.
    double value = 0;
    duration_ = mpv().get_property(mpv_, "duration", MPV_FORMAT_DOUBLE, &value) >= 0 ? value : 0;
    // A device just opened stands at its start. Paused there, mpv still reports the time of the
    // first decoded frame for a moment in some containers (128 ms into a WMA).
    timePos_ = 0;
    heldAtStart_ = true;
    eof_ = false;
    seeking_ = false;
    playing_ = false;
    std::int64_t width = 0;
    std::int64_t height = 0;
    hasVideo_ = mpv().get_property(mpv_, "width", MPV_FORMAT_INT64, &width) >= 0 &&
                mpv().get_property(mpv_, "height", MPV_FORMAT_INT64, &height) >= 0 && width > 0 && height > 0;
    open_ = true;
    if (surface_ && hasVideo_) {
        // The video's own size from the top-left corner, until a display rectangle is given.
        surface_->setGeometry(0, 0, static_cast<int>(width), static_cast<int>(height));
    }
}

void MpvEngine::close() {
    if (mpv_ && open_) {
        command({"stop"});
        // mpv takes its video window down before it reports idle; the display may go right after.
        QElapsedTimer waited;
        waited.start();
        for (;;) {
            const double left = (kCloseTimeoutMs - waited.elapsed()) / 1000.0;
            const mpv_event* event = mpv().wait_event(mpv_, std::max(left, 0.0));
            handle(*event);
            if (event->event_id == MPV_EVENT_IDLE || left <= 0) {
                break;
            }
        }
    }
    open_ = false;
    playing_ = false;
    hasVideo_ = false;
    eof_ = false;
    timePos_ = 0;
    duration_ = 0;
}

void MpvEngine::play() {
    if (!open_) {
        throw Failure(kNoDeviceMessage);
    }
    if (eof_) {
        seekTo(0);
    }
    mpv().set_property_string(mpv_, "pause", "no");
    playing_ = true;
    heldAtStart_ = false;
}

void MpvEngine::stop() {
    if (!open_) {
        throw Failure(kNoDeviceMessage);
    }
    // mpv's own stop command would unload the file.
    mpv().set_property_string(mpv_, "pause", "yes");
    playing_ = false;
}

void MpvEngine::rewind() {
    if (!open_) {
        throw Failure(kNoDeviceMessage);
    }
    seekTo(0);
}

void MpvEngine::seekTo(double seconds) {
    const std::string target = std::to_string(seconds);
    command({"seek", target.c_str(), "absolute+exact"});
    seeking_ = true;
    heldAtStart_ = false;
    eof_ = false;
    timePos_ = seconds;
}

std::int32_t MpvEngine::position() {
    // The values come from mpv's events, which the UI thread takes in as they come.
    if (!open_) {
        return 0;
    }
    const std::int32_t length = lengthMs();
    // At the end time-pos can lie either side of the duration.
    return eof_ ? length : std::clamp(toMilliseconds(timePos_), 0, length);
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
