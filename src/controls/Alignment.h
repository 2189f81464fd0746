#pragma once

class QWidget;

namespace velmoa {

// How a control is placed in its parent: by its own geometry (None), spanning the parent's
// width at the top (Top: top-aligned controls stack from the top in creation order), or
// filling what the top-aligned ones leave (Client).
enum class Align { None, Top, Client };

void setAlign(QWidget* widget, Align align);
Align alignOf(const QWidget* widget);

// Re-places the aligned children of parent. Panels call it on every resize and whenever a
// child is shown or hidden.
void realignChildren(QWidget* parent);

} // namespace velmoa
