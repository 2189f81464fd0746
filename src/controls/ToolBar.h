#pragma once

#include <QToolButton>
#include <QWidget>

class QAction;

namespace velmoa {

// A tool button bound to an action; its image can differ from the action's (full screen).
class ToolButton : public QToolButton {
    Q_OBJECT
  public:
    ToolButton(QWidget* parent, const QString& name, QAction* action, QSize size);
    void setImageIndex(int index);
    int imageIndex() const { return imageIndex_; }

  private:
    int imageIndex_ = -1;
};

// A tool bar laid out by hand from left to right: buttons of one size, separators of a given
// width, and other controls at their own sizes.
class ToolBar : public QWidget {
    Q_OBJECT
  public:
    ToolBar(QWidget* parent, const QString& name, QSize buttonSize);
    ToolButton* addButton(const QString& name, QAction* action);
    QWidget* addSeparator(const QString& name, int width);
    // Places a control of its own size next in line, centred vertically.
    void addControl(QWidget* control);

  private:
    QSize buttonSize_;
    int nextLeft_ = 0;
};

} // namespace velmoa
