#pragma once

#include <QWidget>

class QToolButton;

namespace velmoa {

// The media player's button strip: Play and Stop.
class MediaPlayerStrip : public QWidget {
    Q_OBJECT
  public:
    MediaPlayerStrip(QWidget* parent, const QString& name);
    void setPlayEnabled(bool enabled);
    void setStopEnabled(bool enabled);
    QToolButton* playButton() const { return play_; }
    QToolButton* stopButton() const { return stop_; }

  signals:
    void playPressed();
    void stopPressed();

  private:
    QToolButton* play_;
    QToolButton* stop_;
};

} // namespace velmoa
