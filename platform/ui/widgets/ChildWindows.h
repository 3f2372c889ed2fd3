// Child windows: top-level windows attached to a parent window so that they
// move with it (by the same distance, whoever moves the parent), are shown
// and hidden with it, and are kept directly below (or above) it in the
// stacking order. Detaching leaves a child where it is.
//
// The link lives in a hidden child object of the parent and refers to the
// children weakly: destroying either side ends it. Main thread only.
#pragma once

#include <QList>

class QWidget;

namespace corvane::ui {

enum class WindowOrderingMode { Below = -1, Out = 0, Above = 1 };

// Attaches child to parent (moving it from another parent); a window cannot
// be its own child or its parent's parent. Out attaches without ordering.
void addChildWindow(QWidget* parent, QWidget* child, WindowOrderingMode order);
void removeChildWindow(QWidget* parent, QWidget* child);
// The children in the order they were attached.
QList<QWidget*> childWindows(const QWidget* parent);
QWidget* parentWindow(const QWidget* child);

}  // namespace corvane::ui
