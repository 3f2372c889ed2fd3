#include "platform/ui/widgets/WindowPlacement.h"

#include "platform/ui/WindowLevels.h"
#include "platform/ui/widgets/X11WindowHints.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace corvane::ui {

namespace {

const char kLevelProperty[] = "corvane.windowLevel";
const char kBehaviorProperty[] = "corvane.collectionBehavior";
const char kWatcherName[] = "corvane.ui.placement";

void applyPlacement(QWidget* window)
{
    x11::setStackingLayer(window, stackingLayerForLevel(windowLevel(window)));
    if (window->property(kBehaviorProperty).isValid())
        x11::setOnAllDesktops(
            window, collectionBehavior(window) & NSWindowCollectionBehaviorCanJoinAllSpaces);
}

// Applies the window's placement again after each show: mapping a window
// resets its state on X11.
class PlacementWatcher : public QObject {
    Q_OBJECT

public:
    explicit PlacementWatcher(QWidget* window) : QObject(window), window_(window)
    {
        setObjectName(QLatin1String(kWatcherName));
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == window_ && event->type() == QEvent::Show) {
            // After the show has been handled and the map request sent.
            QTimer::singleShot(0, this, [this] {
                if (window_ && window_->isVisible())
                    applyPlacement(window_);
            });
        }
        return false;
    }

private:
    QPointer<QWidget> window_;
};

void watch(QWidget* window)
{
    if (!window->findChild<PlacementWatcher*>(QLatin1String(kWatcherName),
                                              Qt::FindDirectChildrenOnly))
        new PlacementWatcher(window);
}

}  // namespace

void setWindowLevel(QWidget* window, qint32 level)
{
    if (!window || !window->isWindow())
        return;
    window->setProperty(kLevelProperty, level);
    watch(window);
    x11::setStackingLayer(window, stackingLayerForLevel(level));
}

qint32 windowLevel(const QWidget* window)
{
    return window ? window->property(kLevelProperty).toInt() : 0;
}

void setCollectionBehavior(QWidget* window, quint32 behavior)
{
    if (!window || !window->isWindow())
        return;
    window->setProperty(kBehaviorProperty, behavior);
    watch(window);
    x11::setOnAllDesktops(window, behavior & NSWindowCollectionBehaviorCanJoinAllSpaces);
}

quint32 collectionBehavior(const QWidget* window)
{
    return window ? window->property(kBehaviorProperty).toUInt() : 0;
}

qint64 windowNumber(QWidget* window)
{
    return window ? qint64(window->window()->winId()) : 0;
}

QWidget* windowWithWindowNumber(qint64 number)
{
    if (number <= 0)
        return nullptr;
    const QList<QWidget*> windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        // Only windows that already have a number: asking would create one.
        if (w->internalWinId() && qint64(w->internalWinId()) == number)
            return w;
    }
    return nullptr;
}

QRect screenRectFromBottomLeft(const QRect& rect, const QScreen* screen)
{
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect();
    return QRect(area.x() + rect.x(), area.y() + area.height() - rect.y() - rect.height(),
                 rect.width(), rect.height());
}

QPoint screenPointFromBottomLeft(const QPoint& point, const QScreen* screen)
{
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect();
    return QPoint(area.x() + point.x(), area.y() + area.height() - point.y());
}

}  // namespace corvane::ui

#include "WindowPlacement.moc"
