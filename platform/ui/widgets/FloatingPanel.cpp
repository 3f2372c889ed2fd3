#include "platform/ui/widgets/FloatingPanel.h"

#include "platform/ui/widgets/WindowPlacement.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace corvane::ui {

WindowDelegate::~WindowDelegate() = default;

FloatingPanel::FloatingPanel(const QRect& frame, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                          Qt::NoDropShadowWindowHint)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    if (frame.isValid())
        setGeometry(frame);
}

FloatingPanel::~FloatingPanel() = default;

qint32 FloatingPanel::level() const
{
    return windowLevel(this);
}

void FloatingPanel::setLevel(qint32 level)
{
    setWindowLevel(this, level);
}

void FloatingPanel::setBackgroundColor(const QColor& color)
{
    background_ = color;
    update();
}

void FloatingPanel::orderFront()
{
    show();
    raise();
}

qint64 FloatingPanel::windowNumber()
{
    return corvane::ui::windowNumber(this);
}

void FloatingPanel::closeEvent(QCloseEvent* event)
{
    // The delegate hears of the close once, even when closing the children
    // closes this panel again.
    if (!closing_) {
        closing_ = true;
        if (WindowDelegate* d = delegate_.get())
            d->windowWillClose(*this);
    }
    event->accept();
    closing_ = false;
}

void FloatingPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), background_);
}

void FloatingPanel::mousePressEvent(QMouseEvent* event)
{
    if (!movableByBackground_ || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // Let the window manager drag the panel; where it cannot (no window
    // manager, or a platform without system moves) follow the mouse here.
    if (windowHandle() && windowHandle()->startSystemMove()) {
        event->accept();
        return;
    }
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    event->accept();
}

void FloatingPanel::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    move(event->globalPosition().toPoint() - dragOffset_);
    event->accept();
}

void FloatingPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (!dragging_) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    dragging_ = false;
    event->accept();
}

}  // namespace corvane::ui
