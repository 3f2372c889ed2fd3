// Levels, desktop placement and numbers of our own top-level windows.
//
// A window's level and collection behaviour are kept with the window (so
// they can be read back, as validation does for check marks) and applied to
// the window system: on X11 the level becomes a stacking layer (above,
// normal or below, WindowLevels.h) and "can join all spaces" puts the window
// on all desktops. Both are applied again each time the window is shown.
//
// A window number is the window's X window id (its native id on other
// platforms); windowWithWindowNumber() finds our top-level window with that
// number. Main thread only.
#pragma once

#include <QPoint>
#include <QRect>
#include <QtGlobal>

class QScreen;
class QWidget;

namespace corvane::ui {

// Level: 0 (normal) for a window that never had one.
void setWindowLevel(QWidget* window, qint32 level);
qint32 windowLevel(const QWidget* window);

void setCollectionBehavior(QWidget* window, quint32 behavior);
quint32 collectionBehavior(const QWidget* window);

// Creates the native window when needed; 0 for null.
qint64 windowNumber(QWidget* window);
// Our top-level window with this number, or null (a number that no longer
// names a window, or one of another program).
QWidget* windowWithWindowNumber(qint64 number);

// Rectangles with their origin at the lower left of the primary screen, y
// upwards (as panels are placed), to Qt's top-left screen coordinates.
QRect screenRectFromBottomLeft(const QRect& rect, const QScreen* screen = nullptr);
QPoint screenPointFromBottomLeft(const QPoint& point, const QScreen* screen = nullptr);

}  // namespace corvane::ui
