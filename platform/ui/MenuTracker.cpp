#include "platform/ui/MenuTracker.h"

#include <QPointer>

namespace corvane::ui {

namespace {

// Submenus nest a handful of levels deep; a bound keeps a menu that was
// (wrongly) made its own descendant from recursing without end.
constexpr int kMaxMenuDepth = 32;

bool isPartnerOf(const MenuItem& partner, const MenuItem& alternate)
{
    return !partner.isSeparatorItem() && !partner.isAlternate() &&
           partner.keyEquivalent().compare(alternate.keyEquivalent(), Qt::CaseInsensitive) == 0;
}

}  // namespace

KeyModifiers effectiveKeyModifiers(const MenuItem& item)
{
    KeyModifiers mask = item.keyEquivalentModifierMask();
    const QString& key = item.keyEquivalent();
    if (key.size() == 1 && key.at(0).isLetter() && key.at(0).isUpper())
        mask |= ShiftKeyMask;
    return mask;
}

MenuTracker::MenuTracker(const ResponderChain* chain) : chain_(chain) {}

QList<VisibleItem> MenuTracker::open(Menu& menu)
{
    // The delegate may delete the menu's items (or, wrongly, the menu):
    // guard before reading it again.
    QPointer<Menu> guard(&menu);
    menu.setHighlightedItem(nullptr);
    if (MenuDelegate* d = menu.delegate())
        d->menuNeedsUpdate(menu);
    if (!guard)
        return {};
    update(menu);
    if (MenuDelegate* d = menu.delegate())
        d->menuWillOpen(menu);
    if (!guard)
        return {};
    return visibleItems(menu);
}

QList<VisibleItem> MenuTracker::openSubmenu(MenuItem& item)
{
    Menu* submenu = item.submenu();
    if (!submenu)
        return {};
    if (Menu* m = item.menu())
        m->setHighlightedItem(&item);
    return open(*submenu);
}

void MenuTracker::close(Menu& menu)
{
    if (MenuDelegate* d = menu.delegate())
        d->menuDidClose(menu);
}

void MenuTracker::update(Menu& menu) const
{
    if (!menu.autoenablesItems())
        return;
    // A copy: validation code may not change the list, but must not crash it.
    const QList<MenuItem*> items = menu.items();
    for (const QPointer<MenuItem> item : items) {
        if (item)
            validate(*item);
    }
}

bool MenuTracker::validate(MenuItem& item) const
{
    const Menu* menu = item.menu();
    if (item.isSeparatorItem() || !menu || !menu->autoenablesItems())
        return item.isEnabled();
    bool enabled = false;
    if (item.action().isNull()) {
        enabled = item.hasSubmenu();
    } else if (Responder* target =
                   chain_ ? chain_->targetForAction(item.action(), item.target()) : nullptr) {
        enabled = target->validateMenuItem(item);
    }
    item.setEnabled(enabled);
    return enabled;
}

bool MenuTracker::alternateShows(const Menu& menu, int index) const
{
    const MenuItem* item = menu.itemAtIndex(index);
    const MenuItem* partner = menu.itemAtIndex(index - 1);
    if (!item || !partner || !item->isAlternate() || !isPartnerOf(*partner, *item))
        return true;  // an alternate without a partner is an ordinary item
    return item->keyEquivalentModifierMask() == modifiers_;
}

QList<VisibleItem> MenuTracker::visibleItems(const Menu& menu) const
{
    QList<VisibleItem> rows;
    const QList<MenuItem*>& items = menu.items();
    for (int i = 0; i < items.size(); ++i) {
        const MenuItem* item = items.at(i);
        if (item->isHidden() || !alternateShows(menu, i))
            continue;
        // A partner gives way while its alternate shows.
        if (const MenuItem* next = menu.itemAtIndex(i + 1);
            next && next->isAlternate() && isPartnerOf(*item, *next) && !next->isHidden() &&
            alternateShows(menu, i + 1))
            continue;
        VisibleItem row;
        row.item = const_cast<MenuItem*>(item);
        row.title = item->title();
        row.separator = item->isSeparatorItem();
        row.enabled = item->isEnabled() && !row.separator;
        row.state = item->state();
        row.hasSubmenu = item->hasSubmenu();
        row.indentationLevel = item->indentationLevel();
        row.image = item->image();
        row.keyEquivalent = item->keyEquivalent();
        row.modifierMask = effectiveKeyModifiers(*item);
        rows.append(row);
    }
    return rows;
}

bool MenuTracker::choose(MenuItem& item)
{
    Menu* menu = item.menu();
    if (item.isSeparatorItem() || !menu)
        return false;
    menu->setHighlightedItem(&item);
    if (!validate(item) || item.action().isNull() || !chain_)
        return false;
    return chain_->sendAction(item.action(), item.target(), &item);
}

bool MenuTracker::performKeyEquivalent(Menu& menu, const QString& key, KeyModifiers modifiers)
{
    if (key.isEmpty())
        return false;
    MenuItem* item = findKeyEquivalent(menu, key, modifiers & kDeviceIndependentModifierMask, 0);
    return item && choose(*item);
}

MenuItem* MenuTracker::findKeyEquivalent(Menu& menu, const QString& key, KeyModifiers modifiers,
                                         int depth)
{
    if (depth > kMaxMenuDepth)
        return nullptr;
    // The menu is brought up to date the way it is before it shows.
    QPointer<Menu> guard(&menu);
    if (MenuDelegate* d = menu.delegate())
        d->menuNeedsUpdate(menu);
    if (!guard)
        return nullptr;
    update(menu);
    const QList<MenuItem*> items = menu.items();
    for (const QPointer<MenuItem> item : items) {
        if (!item || item->isSeparatorItem() || item->isHidden())
            continue;
        if (item->keyEquivalent().compare(key, Qt::CaseInsensitive) == 0 &&
            effectiveKeyModifiers(*item) == modifiers && item->isEnabled())
            return item;
        if (Menu* sub = item->submenu()) {
            if (MenuItem* found = findKeyEquivalent(*sub, key, modifiers, depth + 1))
                return found;
        }
    }
    return nullptr;
}

}  // namespace corvane::ui
