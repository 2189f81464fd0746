#include "controls/Alignment.h"

#include <QVariant>
#include <QWidget>

namespace velmoa {
namespace {
constexpr const char* kAlignProperty = "velmoaAlign";
}

void setAlign(QWidget* widget, Align align) {
    widget->setProperty(kAlignProperty, static_cast<int>(align));
    if (auto* parent = widget->parentWidget()) {
        realignChildren(parent);
    }
}

Align alignOf(const QWidget* widget) {
    const QVariant value = widget->property(kAlignProperty);
    return value.isValid() ? static_cast<Align>(value.toInt()) : Align::None;
}

void realignChildren(QWidget* parent) {
    const QRect area = parent->contentsRect();
    int top = area.top();
    // Children come in creation order, which is the order top-aligned controls stack in.
    for (QObject* object : parent->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (!child || child->isWindow() || child->isHidden() || alignOf(child) != Align::Top) {
            continue;
        }
        child->setGeometry(area.left(), top, area.width(), child->height());
        top += child->height();
    }
    for (QObject* object : parent->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (!child || child->isWindow() || alignOf(child) != Align::Client) {
            continue;
        }
        child->setGeometry(area.left(), top, area.width(), std::max(0, area.bottom() + 1 - top));
    }
}

} // namespace velmoa
