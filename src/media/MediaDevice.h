#pragma once

#include <QRect>
#include <cstdint>
#include <functional>
#include <string>

class QWidget;

namespace velmoa {

// One media device at a time: a sound, a video or a playlist opened by path. Times are milliseconds.
// Operations that need an open device throw Failure("MCI デバイスがありません") when none is;
// position() and setDisplayRect() never throw. Failures of commands on an open device are not raised.
class MediaDevice {
  public:
    virtual ~MediaDevice() = default;

    // The widget video is drawn into; given once, before the first open().
    virtual void setDisplay(QWidget* display) = 0;
    // Called on the UI thread when a play() runs to the end of the media.
    virtual void setEndNotification(std::function<void()> notify) = 0;

    // Closes the device that is open, then opens path. A failure throws the engine's text (or
    // "原因不明のエラー") and leaves no device open.
    virtual void open(const std::string& path) = 0;
    // Closes the open device, if any; never throws.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual bool isPlaying() const = 0;
    // Plays from the current position and returns at once; at the end it rewinds first.
    virtual void play() = 0;
    virtual void stop() = 0;
    virtual void rewind() = 0;
    // 0 while no device is open.
    virtual std::int32_t position() = 0;
    // Seeks; a stopped device stays stopped and a playing one plays on.
    virtual void setPosition(std::int32_t milliseconds) = 0;
    virtual std::int32_t length() = 0;
    // Where the video shows inside the display; ignored unless an open device has video.
    virtual void setDisplayRect(const QRect& rect) = 0;
};

inline constexpr const char* kNoDeviceMessage = "MCI デバイスがありません";
inline constexpr const char* kUnknownErrorMessage = "原因不明のエラー";
// Why a file could not be played, as the window tells it (the engines' own words go to stderr).
inline constexpr const char* kCannotOpenMessage = "ファイルを開けません";
inline constexpr const char* kUnknownFormatMessage = "認識できないファイル形式です";
inline constexpr const char* kNoMediaDataMessage = "再生できるデータがありません";
inline constexpr const char* kSoundOutputMessage = "サウンド出力を開けません";
inline constexpr const char* kVideoOutputMessage = "ビデオ出力を開けません";
inline constexpr const char* kNoPlayableEntryMessage = "プレイリストに再生できる項目がありません";
inline constexpr const char* kEntriesMissingMessage = "プレイリストの項目のファイルが見つかりません";

} // namespace velmoa
