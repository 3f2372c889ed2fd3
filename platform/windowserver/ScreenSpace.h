// Where the displays are, and the one place where coordinates are converted.
//
// Three coordinate systems meet here, all in pixels (X11 has one screen unit
// per pixel):
//   - X11 root coordinates: origin at the top left of the root window (the
//     whole desktop), y downwards. What xcb reports.
//   - global coordinates: origin at the top left of the main display, y
//     downwards. Window list bounds and capture rectangles use them.
//   - bottom-left coordinates: origin at the bottom left of the main display,
//     y upwards. What frames of windows and screens use in the desktop
//     framework's own terms.
// The main display is the primary RandR output, else the output at the root
// origin, else the first active one, else the whole root window.
#pragma once

#include "platform/windowserver/XConnection.h"

#include <QRect>
#include <QRectF>

namespace corvane::windowserver {

class ScreenSpace {
public:
    // mainDisplay and desktop in X11 root coordinates.
    ScreenSpace(const QRect& mainDisplay, const QRect& desktop)
        : main_(mainDisplay), desktop_(desktop)
    {
    }

    // Reads the displays from the server.
    static ScreenSpace query(XConnection& x);

    // The main display's bounds in global coordinates: always at (0, 0).
    QRect mainDisplayBounds() const { return QRect(QPoint(0, 0), main_.size()); }
    // The whole desktop (every display) in global coordinates.
    QRect desktopBounds() const { return desktop_.translated(-main_.topLeft()); }

    QRectF rootToGlobal(const QRectF& r) const { return r.translated(-QPointF(main_.topLeft())); }
    QRectF globalToRoot(const QRectF& r) const { return r.translated(QPointF(main_.topLeft())); }
    QRect rootToGlobal(const QRect& r) const { return r.translated(-main_.topLeft()); }
    QRect globalToRoot(const QRect& r) const { return r.translated(main_.topLeft()); }

    // Flips a rectangle between global and bottom-left coordinates; the
    // flip is its own inverse.
    QRectF globalToBottomLeft(const QRectF& r) const
    {
        return QRectF(r.x(), main_.height() - r.y() - r.height(), r.width(), r.height());
    }
    QRectF bottomLeftToGlobal(const QRectF& r) const { return globalToBottomLeft(r); }

private:
    QRect main_;
    QRect desktop_;
};

// A rectangle to capture, with the two special rectangles of the capture
// calls: the null rectangle (the smallest one enclosing the windows) and
// the infinite rectangle (the whole desktop).
class CaptureArea {
public:
    static CaptureArea null() { return CaptureArea(Kind::Null, {}); }
    static CaptureArea infinite() { return CaptureArea(Kind::Infinite, {}); }
    // A rectangle in global coordinates.
    static CaptureArea rect(const QRectF& globalRect)
    {
        return CaptureArea(Kind::Rect, globalRect);
    }

    bool isNull() const { return kind_ == Kind::Null; }
    bool isInfinite() const { return kind_ == Kind::Infinite; }
    const QRectF& globalRect() const { return rect_; }

private:
    enum class Kind { Null, Infinite, Rect };
    CaptureArea(Kind kind, const QRectF& r) : kind_(kind), rect_(r) {}
    Kind kind_;
    QRectF rect_;
};

}  // namespace corvane::windowserver
