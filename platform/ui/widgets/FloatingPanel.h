// A floating panel: a borderless top-level window that does not take the
// keyboard focus or activate the program when shown or clicked, casts no
// shadow, can be dragged by its background, sits at a numeric window level,
// and tells its delegate before it closes.
//
// Ownership: a panel without a parent widget is owned by whoever made it;
// with setReleasedWhenClosed(true) it deletes itself once closed. The
// delegate is a weak reference. Main thread only.
#pragma once

#include "platform/ui/Responder.h"

#include <QColor>
#include <QPoint>
#include <QWidget>

namespace corvane::ui {

class WindowDelegate : public Guarded {
public:
    ~WindowDelegate() override;
    // Called once as window closes, before it hides (its child windows and
    // bindings are still there to take down).
    virtual void windowWillClose(QWidget& window) = 0;
};

class FloatingPanel : public QWidget {
    Q_OBJECT

public:
    // frame: in Qt screen coordinates (WindowPlacement.h converts from
    // bottom-left ones).
    explicit FloatingPanel(const QRect& frame = QRect(), QWidget* parent = nullptr);
    ~FloatingPanel() override;

    WindowDelegate* delegate() const { return delegate_.get(); }
    void setDelegate(WindowDelegate* delegate) { delegate_ = delegate; }

    bool isMovableByWindowBackground() const { return movableByBackground_; }
    void setMovableByWindowBackground(bool on) { movableByBackground_ = on; }

    qint32 level() const;
    void setLevel(qint32 level);

    QColor backgroundColor() const { return background_; }
    void setBackgroundColor(const QColor& color);

    void setReleasedWhenClosed(bool on) { setAttribute(Qt::WA_DeleteOnClose, on); }
    bool isReleasedWhenClosed() const { return testAttribute(Qt::WA_DeleteOnClose); }

    // Shows the panel in front of the others of its level without taking
    // the focus; hides it.
    void orderFront();
    void orderOut() { hide(); }

    qint64 windowNumber();

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    WeakRef<WindowDelegate> delegate_;
    QColor background_ = Qt::white;
    bool movableByBackground_ = false;
    bool dragging_ = false;
    bool closing_ = false;
    QPoint dragOffset_;
};

}  // namespace corvane::ui
