#pragma once

#include <QWidget>

class QToolButton;

namespace velmoa {

enum class MediaButton { Play, Stop };

// The media player's button strip: Play and Stop, pressed by a click or by Space on the focused one;
// Left and Right move the focus between them. The focus stays in the strip when its button greys.
class MediaPlayerStrip : public QWidget {
    Q_OBJECT
  public:
    MediaPlayerStrip(QWidget* parent, const QString& name);
    void setButtonEnabled(MediaButton button, bool enabled);
    bool isButtonEnabled(MediaButton button) const;
    QToolButton* button(MediaButton button) const;

  signals:
    void buttonPressed(velmoa::MediaButton button);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QToolButton* play_;
    QToolButton* stop_;
};

} // namespace velmoa
