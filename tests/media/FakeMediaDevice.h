#pragma once

#include "base/Failure.h"
#include "media/MediaDevice.h"

#include <QStringList>
#include <algorithm>

namespace velmoa::testing {

// A media device that records the calls it gets and answers with scripted values. Its position
// follows seeks, Rewind and Stop like a real device, and can be moved by the test (playback).
class FakeMediaDevice : public MediaDevice {
  public:
    void setDisplay(QWidget* widget) override { display = widget; }
    void setEndNotification(std::function<void()> notify) override { ended = std::move(notify); }

    void open(const std::string& path) override {
        calls << QStringLiteral("open %1").arg(QString::fromStdString(path));
        opened = false;
        playing = false;
        if (!openFailure.empty()) {
            throw Failure(openFailure);
        }
        opened = true;
        at = 0;
    }
    void close() override {
        calls << QStringLiteral("close");
        opened = false;
        playing = false;
    }
    bool isOpen() const override { return opened; }
    bool isPlaying() const override { return playing; }
    void play() override {
        calls << QStringLiteral("play");
        if (at >= scriptedLength) {
            at = 0;
        }
        playing = true;
    }
    void stop() override {
        calls << QStringLiteral("stop");
        playing = false;
    }
    void rewind() override {
        calls << QStringLiteral("rewind");
        at = 0;
    }
    std::int32_t position() override {
        ++positionReads;
        return at;
    }
    void setPosition(std::int32_t milliseconds) override {
        calls << QStringLiteral("seek %1").arg(milliseconds);
        at = std::clamp(milliseconds, 0, scriptedLength);
    }
    std::int32_t length() override { return scriptedLength; }
    void setDisplayRect(const QRect& rect) override { displayRects << rect; }

    // Playback reaching its end, as an engine reports it.
    void reachEnd() {
        at = scriptedLength;
        playing = false;
        if (ended) {
            ended();
        }
    }

    QStringList calls;
    QList<QRect> displayRects;
    std::string openFailure;
    std::int32_t scriptedLength = 10000;
    std::int32_t at = 0;
    int positionReads = 0;
    bool opened = false;
    bool playing = false;
    QWidget* display = nullptr;
    std::function<void()> ended;
};

} // namespace velmoa::testing
