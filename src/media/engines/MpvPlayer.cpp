#include "media/engines/MpvPlayer.h"

#include "media/MediaDevice.h"
#include "media/engines/MpvLibrary.h"
#include "media/engines/MpvLoadWatch.h"
#include "media/engines/SoundOutput.h"

#include <QElapsedTimer>
#include <cstdio>
#include <mpv/client.h>
#include <utility>

namespace velmoa {
namespace {

// Called only once a player exists, which the library's presence allows.
const MpvLibrary& mpv() {
    return *MpvLibrary::get();
}

// Longest wait for a file to load before the open gives up.
constexpr int kOpenTimeoutMs = 10000;

// The window's words for mpv's failures; mpv's own English goes to standard error.
const char* failureText(int error) {
    switch (error) {
    case MPV_ERROR_LOADING_FAILED:
        return kCannotOpenMessage;
    case MPV_ERROR_UNKNOWN_FORMAT:
        return kUnknownFormatMessage;
    case MPV_ERROR_NOTHING_TO_PLAY:
        return kNoMediaDataMessage;
    case MPV_ERROR_AO_INIT_FAILED:
        return kSoundOutputMessage;
    case MPV_ERROR_VO_INIT_FAILED:
        return kVideoOutputMessage;
    default:
        return kUnknownErrorMessage;
    }
}

// mpv's own words for an entry that failed go to standard error.
void reportEntryFailure(const mpv_event& event) {
    if (event.event_id != MPV_EVENT_END_FILE) {
        return;
    }
    const auto* end = static_cast<const mpv_event_end_file*>(event.data);
    if (end->reason == MPV_END_FILE_REASON_ERROR) {
        std::fprintf(stderr, "mpv: %s\n", mpv().error_string(end->error));
    }
}

void stop(mpv_handle* player) {
    const char* args[] = {"stop", nullptr};
    mpv().command(player, args);
}

// Queues the files; their ids in order, fewer when mpv refused one.
std::vector<std::int64_t> queue(mpv_handle* player, const std::vector<std::string>& files) {
    std::vector<std::int64_t> ids;
    for (const std::string& file : files) {
        const char* args[] = {"loadfile", file.c_str(), ids.empty() ? "replace" : "append", nullptr};
        mpv_node result{};
        if (mpv().command_ret(player, args, &result) < 0) {
            return ids;
        }
        if (result.format == MPV_FORMAT_NODE_MAP) {
            for (int i = 0; i < result.u.list->num; ++i) {
                if (std::string(result.u.list->keys[i]) == "playlist_entry_id" &&
                    result.u.list->values[i].format == MPV_FORMAT_INT64) {
                    ids.push_back(result.u.list->values[i].u.int64);
                }
            }
        }
        mpv().free_node_contents(&result);
    }
    return ids;
}

} // namespace

mpv_handle* makeMpvPlayer(const MpvPlayerSettings& settings) {
    if (!MpvLibrary::get()) {
        return nullptr;
    }
    quietSoundLibraries();
    mpv_handle* player = mpv().create();
    if (!player) {
        return nullptr;
    }
    const bool null = settings.null;
    // The running sound server is asked for by name: mpv would otherwise try its outputs in turn.
    const std::string soundOutput = null ? "null" : mpvSoundOutput(detectSoundEnvironment());
    const std::pair<const char*, const char*> options[] = {
        // Nothing read from or written to the user's files: no configuration, scripts, resume data.
        {"config", "no"},
        {"load-scripts", "no"},
        {"ytdl", "no"},
        {"resume-playback", "no"},
        {"save-position-on-quit", "no"},
        // Nothing a file names may make the viewer reach the network or another protocol: a
        // playlist's entries are checked before they get here, and whatever a file refers to
        // inside (nested lists, references, demuxers opening more) stays within local files.
        {"stream-lavf-o", "protocol_whitelist=file"},
        {"demuxer-lavf-o", "protocol_whitelist=file"},
        {"load-unsafe-playlists", "no"},
        {"access-references", "no"},
        {"terminal", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"input-cursor", "no"},
        {"osc", "no"},
        {"load-stats-overlay", "no"},
        {"load-osd-console", "no"},
        {"load-auto-profiles", "no"},
        // Nothing is written over the picture: no on-screen display and no subtitles, so no font
        // set-up either (a second fontconfig start, which held the first sound back), and no
        // look through the file's folder for subtitle files.
        {"osd-level", "0"},
        {"osd-font-provider", "none"},
        {"sub-font-provider", "none"},
        {"sid", "no"},
        {"sub-auto", "no"},
        // Cover pictures of sound files are not video.
        {"audio-display", "no"},
        // At the end the file stays loaded, so that position and length stay readable; it is not
        // paused there, so that the sound still buffered plays out.
        {"keep-open", "yes"},
        {"keep-open-pause", "no"},
        {"idle", "yes"},
        {"ao", soundOutput.c_str()},
        {"vo", settings.embed ? "gpu,x11,null" : "null"},
        {"gpu-sw", "yes"},
        {"ao-null-untimed", null ? "yes" : "no"},
        {"untimed", null ? "yes" : "no"},
        // Without a window to draw into, a video track would make mpv open one of its own.
        {"vid", settings.videoHeld ? "no" : "auto"},
    };
    for (const auto& [name, value] : options) {
        mpv().set_option_string(player, name, value);
    }
    if (mpv().initialize(player) < 0) {
        mpv().terminate_destroy(player);
        return nullptr;
    }
    return player;
}

MpvLoad loadPaused(mpv_handle* player, const std::vector<std::string>& files,
                   const std::function<void(const mpv_event&)>& seen) {
    // Loaded standing still: playback starts with play().
    mpv().set_property_string(player, "pause", "yes");
    MpvLoad load;
    load.entryIds = queue(player, files);
    if (load.entryIds.size() != files.size()) {
        stop(player);
        load.failure = kUnknownErrorMessage;
        return load;
    }
    // loadfile returns at once; the file is loaded (or has failed) some tens of milliseconds later.
    MpvLoadWatch watch(load.entryIds);
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const double left = static_cast<double>(kOpenTimeoutMs - waited.elapsed()) / 1000.0;
        if (left <= 0) {
            stop(player);
            load.failure = kUnknownErrorMessage;
            return load;
        }
        const mpv_event* event = mpv().wait_event(player, left);
        seen(*event);
        reportEntryFailure(*event);
        if (watch.see(*event)) {
            break;
        }
    }
    if (watch.failure() != 0) {
        stop(player);
        load.failure = failureText(watch.failure());
        return load;
    }
    load.loadedEntry = watch.loadedEntry();
    return load;
}

} // namespace velmoa
