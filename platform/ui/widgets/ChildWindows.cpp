#include "platform/ui/widgets/ChildWindows.h"

#include "platform/ui/widgets/X11WindowHints.h"

#include <QEvent>
#include <QMoveEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace corvane::ui {

namespace {

const char kLinkName[] = "corvane.ui.childWindows";
const char kParentProperty[] = "corvane.parentWindow";

struct Child {
    QPointer<QWidget> window;
    WindowOrderingMode order;
};

// Follows the parent's moves, shows and hides for its children.
class ChildWindowLink : public QObject {
    Q_OBJECT

public:
    explicit ChildWindowLink(QWidget* parent) : QObject(parent), parent_(parent)
    {
        setObjectName(QLatin1String(kLinkName));
        parent->installEventFilter(this);
    }

    QList<Child> children;

    void prune()
    {
        children.removeIf([](const Child& c) { return c.window.isNull(); });
    }

    void orderChild(const Child& c)
    {
        if (c.order != WindowOrderingMode::Out && c.window && parent_)
            x11::restack(c.window, parent_, c.order == WindowOrderingMode::Above);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != parent_)
            return false;
        switch (event->type()) {
        case QEvent::Move: {
            const auto* move = static_cast<QMoveEvent*>(event);
            const QPoint delta = move->pos() - move->oldPos();
            prune();
            for (const Child& c : std::as_const(children))
                c.window->move(c.window->pos() + delta);
            break;
        }
        case QEvent::Show:
            prune();
            for (const Child& c : std::as_const(children))
                c.window->show();
            // Once the window manager has the parent, put the children by it.
            QTimer::singleShot(0, this, [this] {
                prune();
                for (const Child& c : std::as_const(children))
                    orderChild(c);
            });
            break;
        case QEvent::Hide:
            prune();
            for (const Child& c : std::as_const(children))
                c.window->hide();
            break;
        default:
            break;
        }
        return false;
    }

private:
    QPointer<QWidget> parent_;
};

ChildWindowLink* linkOf(const QWidget* parent, bool create)
{
    if (!parent)
        return nullptr;
    auto* link =
        parent->findChild<ChildWindowLink*>(QLatin1String(kLinkName), Qt::FindDirectChildrenOnly);
    if (!link && create)
        link = new ChildWindowLink(const_cast<QWidget*>(parent));
    return link;
}

}  // namespace

void addChildWindow(QWidget* parent, QWidget* child, WindowOrderingMode order)
{
    if (!parent || !child || parent == child || !parent->isWindow() || !child->isWindow())
        return;
    for (const QWidget* p = parent; p; p = parentWindow(p)) {
        if (p == child)
            return;  // would make a cycle
    }
    if (QWidget* old = parentWindow(child))
        removeChildWindow(old, child);
    ChildWindowLink* link = linkOf(parent, true);
    link->children.append({child, order});
    child->setProperty(kParentProperty, QVariant::fromValue(QPointer<QWidget>(parent)));
    if (parent->isVisible() && child->isVisible())
        link->orderChild(link->children.last());
}

void removeChildWindow(QWidget* parent, QWidget* child)
{
    ChildWindowLink* link = linkOf(parent, false);
    if (!link || !child)
        return;
    link->children.removeIf([child](const Child& c) { return c.window == child; });
    if (parentWindow(child) == parent)
        child->setProperty(kParentProperty, QVariant());
}

QList<QWidget*> childWindows(const QWidget* parent)
{
    QList<QWidget*> windows;
    if (ChildWindowLink* link = linkOf(parent, false)) {
        link->prune();
        for (const Child& c : std::as_const(link->children))
            windows.append(c.window);
    }
    return windows;
}

QWidget* parentWindow(const QWidget* child)
{
    if (!child)
        return nullptr;
    QWidget* parent = child->property(kParentProperty).value<QPointer<QWidget>>();
    // The link is the truth: a parent that detached the child is no parent.
    return parent && childWindows(parent).contains(const_cast<QWidget*>(child)) ? parent : nullptr;
}

}  // namespace corvane::ui

#include "ChildWindows.moc"
