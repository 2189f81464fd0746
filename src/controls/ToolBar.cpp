#include "controls/ToolBar.h"

#include "controls/ToolImages.h"

#include <QAction>

namespace velmoa {

ToolButton::ToolButton(QWidget* parent, const QString& name, QAction* action, QSize size)
    : QToolButton(parent) {
    setObjectName(name);
    setDefaultAction(action);
    // Screen readers read the hint; the action's own text is only its name.
    setAccessibleName(action->toolTip());
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setIconSize(QSize(16, 16));
    setFixedSize(size);
}

void ToolButton::setImageIndex(int index) {
    imageIndex_ = index;
    setIcon(toolIcon(index));
}

ToolBar::ToolBar(QWidget* parent, const QString& name, QSize buttonSize)
    : QWidget(parent), buttonSize_(buttonSize) {
    setObjectName(name);
}

ToolButton* ToolBar::addButton(const QString& name, QAction* action) {
    auto* button = new ToolButton(this, name, action, buttonSize_);
    button->move(nextLeft_, 0);
    nextLeft_ += buttonSize_.width();
    return button;
}

QWidget* ToolBar::addSeparator(const QString& name, int width) {
    auto* gap = new QWidget(this);
    gap->setObjectName(name);
    gap->setGeometry(nextLeft_, 0, width, buttonSize_.height());
    nextLeft_ += width;
    return gap;
}

void ToolBar::addControl(QWidget* control) {
    control->setParent(this);
    control->move(nextLeft_, std::max(0, (buttonSize_.height() - control->height()) / 2));
    nextLeft_ += control->width();
}

} // namespace velmoa
