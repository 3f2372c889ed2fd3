#include "platform/ui/widgets/MenuAdapter.h"

#include "platform/ui/widgets/LayerViews.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QSet>
#include <QWidget>

namespace corvane::ui {

struct MenuAdapter::Rendered {
    QPointer<Menu> model;
    std::unique_ptr<QMenu> menu;
    QHash<const MenuItem*, QAction*> actions;  // actions are children of menu
    QHash<QAction*, QPointer<MenuItem>> items;
    bool open = false;
};

namespace {

QIcon mixedStateIcon()
{
    static const QIcon icon = [] {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.fillRect(QRect(4, 7, 8, 2), QApplication::palette().color(QPalette::Text));
        return QIcon(pixmap);
    }();
    return icon;
}

QString displayTitle(const VisibleItem& row)
{
    QString title = row.title;
    title.replace(QLatin1Char('&'), QStringLiteral("&&"));  // no mnemonics
    return QString(row.indentationLevel * 4, QLatin1Char(' ')) + title;
}

KeyModifiers modifierOfKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
        return ShiftKeyMask;
    case Qt::Key_Control:
        return CommandKeyMask;
    case Qt::Key_Alt:
        return AlternateKeyMask;
    case Qt::Key_Meta:
        return ControlKeyMask;
    default:
        return NoModifier;
    }
}

}  // namespace

MenuAdapter::MenuAdapter(const ResponderChain* chain, QObject* parent)
    : QObject(parent), appChain_(chain), tracker_(&effectiveChain_)
{
    refreshChain();
}

MenuAdapter::~MenuAdapter() = default;

KeyModifiers MenuAdapter::modifierFlags(Qt::KeyboardModifiers modifiers)
{
    KeyModifiers flags = NoModifier;
    if (modifiers & Qt::ShiftModifier)
        flags |= ShiftKeyMask;
    if (modifiers & Qt::ControlModifier)
        flags |= CommandKeyMask;
    if (modifiers & Qt::AltModifier)
        flags |= AlternateKeyMask;
    if (modifiers & Qt::MetaModifier)
        flags |= ControlKeyMask;
    return flags;
}

QKeySequence MenuAdapter::keySequenceFor(const MenuItem& item)
{
    const QString key = item.keyEquivalent();
    if (key.size() != 1)
        return {};
    const QChar c = key.at(0);
    int code = 0;
    if (c == QLatin1Char('\r'))
        code = Qt::Key_Return;
    else if (c.unicode() == 27)
        code = Qt::Key_Escape;
    else if (c == QLatin1Char('\t'))
        code = Qt::Key_Tab;
    else if (c.unicode() == 8)
        code = Qt::Key_Backspace;
    else if (c.unicode() == 127)
        code = Qt::Key_Delete;
    else if (c.unicode() > 32 && c.unicode() < 127)
        code = c.toUpper().unicode();
    if (!code)
        return {};
    const KeyModifiers mask = effectiveKeyModifiers(item);
    int modifiers = 0;
    if (mask & ShiftKeyMask)
        modifiers |= Qt::SHIFT;
    if (mask & CommandKeyMask)
        modifiers |= Qt::CTRL;
    if (mask & AlternateKeyMask)
        modifiers |= Qt::ALT;
    if (mask & ControlKeyMask)
        modifiers |= Qt::META;
    return QKeySequence(code | modifiers);
}

QString MenuAdapter::keyEquivalentFor(const QKeyEvent& event)
{
    const int key = event.key();
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QStringLiteral("\r");
    case Qt::Key_Escape:
        return QString(QChar(27));
    case Qt::Key_Tab:
        return QStringLiteral("\t");
    case Qt::Key_Backspace:
        return QString(QChar(8));
    case Qt::Key_Delete:
        return QString(QChar(127));
    default:
        break;
    }
    if (key > 32 && key < 127)
        return QString(QChar(key)).toLower();
    return {};
}

void MenuAdapter::refreshChain()
{
    effectiveChain_ = appChain_ ? *appChain_ : ResponderChain();
    if (Responder* r = contextResponder_.get())
        effectiveChain_.setFirstResponder(r);
}

MenuAdapter::Rendered* MenuAdapter::renderedFor(Menu* model, bool create)
{
    if (!model)
        return nullptr;
    const auto it = rendered_.find(model);
    if (it != rendered_.end())
        return it->second.get();
    if (!create)
        return nullptr;
    auto r = std::make_unique<Rendered>();
    r->model = model;
    r->menu = std::make_unique<QMenu>();
    r->menu->setTitle(model->title());
    r->menu->setToolTipsVisible(false);
    r->menu->installEventFilter(this);
    QMenu* qmenu = r->menu.get();
    connect(qmenu, &QMenu::aboutToShow, this, [this, model] { aboutToShow(model); });
    connect(qmenu, &QMenu::aboutToHide, this, [this, model] { aboutToHide(model); });
    connect(qmenu, &QMenu::hovered, this, [this, model](QAction* action) {
        Rendered* rendered = renderedFor(model, false);
        if (rendered && rendered->model)
            rendered->model->setHighlightedItem(rendered->items.value(action).data());
    });
    // The model going away takes its QMenu along (after any signal in flight).
    connect(model, &QObject::destroyed, this, [this, model] {
        const auto found = rendered_.find(model);
        if (found == rendered_.end())
            return;
        found->second->menu.release()->deleteLater();
        rendered_.erase(found);
    });
    Rendered* raw = r.get();
    rendered_.emplace(model, std::move(r));
    return raw;
}

QMenu* MenuAdapter::menuFor(Menu* model)
{
    Rendered* r = renderedFor(model, true);
    return r ? r->menu.get() : nullptr;
}

QAction* MenuAdapter::actionFor(const MenuItem* item) const
{
    if (!item || !item->menu())
        return nullptr;
    const auto it = rendered_.find(item->menu());
    return it == rendered_.end() ? nullptr : it->second->actions.value(item);
}

QAction* MenuAdapter::actionForItem(Rendered& r, MenuItem* item)
{
    QAction* action = r.actions.value(item);
    if (action)
        return action;
    action = new QAction(r.menu.get());
    action->setShortcutContext(Qt::WidgetShortcut);  // key equivalents go through the model
    connect(action, &QAction::triggered, this, [this, action, menu = r.model] {
        Rendered* rendered = renderedFor(menu.data(), false);
        MenuItem* chosen = rendered ? rendered->items.value(action).data() : nullptr;
        if (chosen)
            tracker_.choose(*chosen);
    });
    r.actions.insert(item, action);
    r.items.insert(action, item);
    return action;
}

void MenuAdapter::sync(Menu* model)
{
    Rendered* r = renderedFor(model, true);
    if (!r)
        return;
    const QList<VisibleItem> rows = tracker_.visibleItems(*model);
    QHash<const MenuItem*, const VisibleItem*> visible;
    for (const VisibleItem& row : rows)
        visible.insert(row.item, &row);

    // Drop the actions of items that left the model.
    const QList<MenuItem*>& items = model->items();
    const QSet<const MenuItem*> present(items.cbegin(), items.cend());
    for (auto it = r->actions.begin(); it != r->actions.end();) {
        if (present.contains(it.key())) {
            ++it;
            continue;
        }
        r->items.remove(it.value());
        delete it.value();
        it = r->actions.erase(it);
    }

    QList<QAction*> ordered;
    for (MenuItem* item : items) {
        QAction* action = actionForItem(*r, item);
        const VisibleItem* row = visible.value(item);
        action->setVisible(row != nullptr);
        action->setSeparator(item->isSeparatorItem());
        if (row && !row->separator) {
            action->setText(displayTitle(*row));
            action->setEnabled(row->enabled);
            action->setCheckable(row->state != ControlState::Off);
            action->setChecked(row->state == ControlState::On);
            QIcon icon = iconFromVariant(row->image);
            if (icon.isNull() && row->state == ControlState::Mixed)
                icon = mixedStateIcon();
            action->setIcon(icon);
            action->setShortcut(keySequenceFor(*item));
            action->setMenu(item->hasSubmenu() ? menuFor(item->submenu()) : nullptr);
        }
        ordered.append(action);
    }
    r->menu->setTitle(model->title());
    if (r->menu->actions() != ordered) {
        for (QAction* a : r->menu->actions())
            r->menu->removeAction(a);
        r->menu->addActions(ordered);
    }
}

void MenuAdapter::aboutToShow(Menu* model)
{
    Rendered* r = renderedFor(model, false);
    if (!r || !r->model)
        return;
    if (!model->supermenu()) {
        refreshChain();
    } else if (MenuItem* parentItem = model->parentItem()) {
        model->supermenu()->setHighlightedItem(parentItem);
    }
    r->open = true;
    tracker_.setModifierFlags(modifierFlags(QGuiApplication::queryKeyboardModifiers()));
    tracker_.open(*model);
    if (renderedFor(model, false))  // the delegate may have destroyed the menu
        sync(model);
}

void MenuAdapter::aboutToHide(Menu* model)
{
    Rendered* r = renderedFor(model, false);
    if (!r || !r->model)
        return;
    r->open = false;
    tracker_.close(*model);
}

void MenuAdapter::modifiersChanged(KeyModifiers flags)
{
    if (flags == tracker_.modifierFlags())
        return;
    tracker_.setModifierFlags(flags);
    for (const auto& [menu, r] : rendered_) {
        if (r->open && r->model)
            sync(r->model);
    }
}

void MenuAdapter::populateMenuBar(QMenuBar* bar, Menu* mainMenu)
{
    if (!bar || !mainMenu)
        return;
    bar->clear();
    for (MenuItem* item : mainMenu->items()) {
        if (Menu* sub = item->submenu()) {
            QMenu* qmenu = menuFor(sub);
            qmenu->setTitle(item->title());
            sync(sub);
            bar->addMenu(qmenu);
        }
    }
}

void MenuAdapter::installKeyEquivalents(QWidget* window, Menu* mainMenu)
{
    if (!window || !mainMenu)
        return;
    if (keyWindows_.isEmpty())
        qApp->installEventFilter(this);
    keyWindows_.insert(window, mainMenu);
    connect(window, &QObject::destroyed, this, [this](QObject* gone) {
        keyWindows_.remove(gone);
        if (keyWindows_.isEmpty())
            qApp->removeEventFilter(this);
    });
}

QMenu* MenuAdapter::popUpContextMenu(Menu* model, const QPoint& globalPos,
                                     Responder* firstResponder)
{
    QMenu* qmenu = menuFor(model);
    if (!qmenu)
        return nullptr;
    contextResponder_ = firstResponder;
    contextMenu_ = model;
    qmenu->popup(globalPos);
    return qmenu;
}

void MenuAdapter::setContextMenu(QWidget* view, Menu* model, Responder* firstResponder)
{
    if (!view || !model)
        return;
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    const WeakRef<Responder> responder(firstResponder);
    const QPointer<Menu> menu(model);
    connect(view, &QWidget::customContextMenuRequested, this,
            [this, view, responder, menu](const QPoint& pos) {
                if (menu)
                    popUpContextMenu(menu, view->mapToGlobal(pos), responder.get());
            });
}

bool MenuAdapter::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);

    // A modifier pressed or released over an open menu swaps alternates.
    // The menu does not see it: Qt's menus close on a bare Alt (menu-bar
    // keyboard navigation), which would hide the very alternate shown.
    if (qobject_cast<QMenu*>(watched)) {
        const KeyModifiers changed = modifierOfKey(key->key());
        if (!changed)
            return false;
        KeyModifiers flags = modifierFlags(key->modifiers());
        flags = type == QEvent::KeyPress ? (flags | changed) : (flags & ~changed);
        modifiersChanged(flags);
        return true;
    }

    // Key equivalents of the windows that asked for them.
    if (type != QEvent::KeyPress || keyWindows_.isEmpty())
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || !keyWindows_.contains(widget->window()))
        return false;
    Menu* mainMenu = keyWindows_.value(widget->window()).data();
    const QString equivalent = keyEquivalentFor(*key);
    if (!mainMenu || equivalent.isEmpty() || key->isAutoRepeat())
        return false;
    contextResponder_ = nullptr;
    refreshChain();
    return tracker_.performKeyEquivalent(*mainMenu, equivalent, modifierFlags(key->modifiers()));
}

}  // namespace corvane::ui
