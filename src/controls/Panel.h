#pragma once

#include <QColor>
#include <QFrame>

namespace velmoa {

// The button-face colour of panels and tool bars.
QColor buttonFaceColour();

// A plain panel: its own colour, an optional bevel or border, and children placed by the
// alignment rules (re-placed on resize and when a child is shown or hidden).
class Panel : public QFrame {
    Q_OBJECT
  public:
    enum class Bevel { None, Raised, RaisedInLoweredOut, SingleBorder };

    Panel(QWidget* parent, const QString& name, const QColor& colour = buttonFaceColour());
    void setColour(const QColor& colour);
    void setBevel(Bevel bevel);
    void setFontColour(const QColor& colour);

  signals:
    void mousePressed(Qt::MouseButton button);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void childEvent(QChildEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

// A band bar holding one band: top-aligned and as high as its band. The band shows exactly
// while the control it holds is visible, so hiding that control leaves an empty bar.
class BandBar : public Panel {
    Q_OBJECT
  public:
    BandBar(QWidget* parent, const QString& name, int height);
};

} // namespace velmoa
