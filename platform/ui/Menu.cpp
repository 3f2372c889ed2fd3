#include "platform/ui/Menu.h"

#include <algorithm>
#include <utility>

namespace corvane::ui {

MenuDelegate::~MenuDelegate() = default;
void MenuDelegate::menuNeedsUpdate(Menu&) {}
void MenuDelegate::menuWillOpen(Menu&) {}
void MenuDelegate::menuDidClose(Menu&) {}

MenuItem::MenuItem(const QString& title, const Action& action, const QString& keyEquivalent)
    : title_(title), action_(action), keyEquivalent_(keyEquivalent)
{
}

MenuItem::~MenuItem()
{
    // An item deleted directly leaves its menu's list, not a dangling entry.
    if (Menu* m = menu())
        m->takeItem(this).release();
}

std::unique_ptr<MenuItem> MenuItem::separatorItem()
{
    auto item = std::make_unique<MenuItem>();
    item->separator_ = true;
    item->enabled_ = false;
    return item;
}

Menu* MenuItem::menu() const
{
    return qobject_cast<Menu*>(parent());
}

void MenuItem::setIndentationLevel(int level)
{
    indentation_ = std::clamp(level, 0, 15);
}

void MenuItem::setKeyEquivalentModifierMask(KeyModifiers mask)
{
    modifierMask_ = mask & kDeviceIndependentModifierMask;
}

Menu* MenuItem::setSubmenu(std::unique_ptr<Menu> submenu)
{
    delete submenu_.data();
    submenu_ = submenu.release();
    if (submenu_)
        submenu_->setParent(this);
    return submenu_.data();
}

bool MenuItem::isHighlighted() const
{
    const Menu* m = menu();
    return m && m->highlightedItem() == this;
}

Menu::Menu(const QString& title, QObject* parent) : QObject(parent), title_(title) {}

Menu::~Menu()
{
    const QList<MenuItem*> items = std::exchange(items_, {});
    qDeleteAll(items);
}

MenuItem* Menu::itemAtIndex(int index) const
{
    return index >= 0 && index < items_.size() ? items_.at(index) : nullptr;
}

int Menu::indexOfItemWithTag(qint64 tag) const
{
    for (int i = 0; i < items_.size(); ++i) {
        if (items_.at(i)->tag() == tag)
            return i;
    }
    return -1;
}

int Menu::indexOfItemWithTitle(const QString& title) const
{
    for (int i = 0; i < items_.size(); ++i) {
        if (items_.at(i)->title() == title)
            return i;
    }
    return -1;
}

int Menu::indexOfItemWithRepresentedObject(const QVariant& object) const
{
    for (int i = 0; i < items_.size(); ++i) {
        if (items_.at(i)->representedObject() == object)
            return i;
    }
    return -1;
}

int Menu::indexOfItemWithSubmenu(const Menu* submenu) const
{
    for (int i = 0; i < items_.size(); ++i) {
        if (submenu && items_.at(i)->submenu() == submenu)
            return i;
    }
    return -1;
}

MenuItem* Menu::itemWithTitle(const QString& title) const
{
    return itemAtIndex(indexOfItemWithTitle(title));
}

MenuItem* Menu::itemWithTag(qint64 tag) const
{
    return itemAtIndex(indexOfItemWithTag(tag));
}

MenuItem* Menu::addItem(std::unique_ptr<MenuItem> item)
{
    return insertItem(std::move(item), int(items_.size()));
}

MenuItem* Menu::insertItem(std::unique_ptr<MenuItem> item, int index)
{
    if (!item || item->menu())
        return nullptr;
    MenuItem* raw = item.release();
    raw->setParent(this);
    items_.insert(std::clamp(index, 0, int(items_.size())), raw);
    Q_EMIT itemsChanged();
    return raw;
}

MenuItem* Menu::addItemWithTitle(const QString& title, const Action& action,
                                 const QString& keyEquivalent)
{
    return addItem(std::make_unique<MenuItem>(title, action, keyEquivalent));
}

MenuItem* Menu::addSeparator()
{
    return addItem(MenuItem::separatorItem());
}

void Menu::removeItemAtIndex(int index)
{
    removeItem(itemAtIndex(index));
}

void Menu::removeItem(MenuItem* item)
{
    takeItem(item).reset();
}

void Menu::removeAllItems()
{
    if (items_.isEmpty())
        return;
    const QList<MenuItem*> items = std::exchange(items_, {});
    for (MenuItem* item : items)
        item->setParent(nullptr);
    qDeleteAll(items);
    Q_EMIT itemsChanged();
}

std::unique_ptr<MenuItem> Menu::takeItem(MenuItem* item)
{
    if (!item || !items_.removeOne(item))
        return nullptr;
    item->setParent(nullptr);
    Q_EMIT itemsChanged();
    return std::unique_ptr<MenuItem>(item);
}

MenuItem* Menu::parentItem() const
{
    return qobject_cast<MenuItem*>(parent());
}

Menu* Menu::supermenu() const
{
    const MenuItem* item = parentItem();
    return item ? item->menu() : nullptr;
}

void Menu::setHighlightedItem(MenuItem* item)
{
    highlighted_ = item && item->menu() == this ? item : nullptr;
}

}  // namespace corvane::ui
