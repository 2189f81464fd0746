#pragma once

#include "formats/picture/Picture.h"

#include <QWidget>

namespace velmoa {

// A picture on its parent's surface: drawn stretched to its bounds, or at its own size.
// With auto-size on, assigning a picture gives the control the picture's size (unless an
// alignment places it).
class ImageControl : public QWidget {
    Q_OBJECT
  public:
    ImageControl(QWidget* parent, const QString& name);

    const Picture& picture() const { return picture_; }
    void setPicture(const Picture& picture);
    void setStretch(bool stretch);
    void setAutoSize(bool autoSize);
    bool autoSize() const { return autoSize_; }
    void repaintNow() { repaint(); }

  signals:
    void mousePressed(Qt::MouseButton button);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void applyAutoSize();
    void showWhenReady();

    Picture picture_;
    // Watches the pixels of a picture still being decoded elsewhere; ends with the control.
    ReadyFlag::Watch pixelsWatch_;
    bool stretch_ = false;
    bool autoSize_ = false;
};

// Draws picture stretched into target as the views do: a decoding error that the draw finds is posted
// to the reporter (a paint must not throw), once per loaded picture.
void drawPicture(const Picture& picture, QPainter& painter, const QRect& target);

} // namespace velmoa
