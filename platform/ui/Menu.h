// Menus as data: a menu is a title, an ordered list of items, a delegate that
// fills it just before it opens, and a flag for automatic enabling. Menus are
// told apart by their titles. An item carries a title, an action and an
// optional target, a tag, a represented object, a state, an image, a
// submenu, an indentation level, enabling, a key equivalent with its modifier
// mask, and may be a separator or the alternate of the item before it.
//
// Ownership: a menu owns its items (as QObject children, kept in item
// order); an item owns its submenu. Removing an item deletes it. A menu
// without a parent item is a top-level menu, owned by whoever made it.
// Targets and delegates are weak references (see Responder.h).
//
// Nothing here shows anything: MenuTracker opens, validates and chooses the
// way the menu system does, and the widgets' MenuAdapter renders a menu with
// Qt. Main thread only.
#pragma once

#include "platform/ui/Responder.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <memory>

namespace corvane::ui {

class Menu;

// The platform's device-independent modifier flags.
enum KeyModifier : quint32 {
    NoModifier = 0,
    ShiftKeyMask = 1u << 17,
    ControlKeyMask = 1u << 18,
    AlternateKeyMask = 1u << 19,  // the Option key
    CommandKeyMask = 1u << 20,
};
using KeyModifiers = quint32;
constexpr KeyModifiers kDeviceIndependentModifierMask =
    ShiftKeyMask | ControlKeyMask | AlternateKeyMask | CommandKeyMask;

// Check-mark state of an item (the platform's values).
enum class ControlState { Mixed = -1, Off = 0, On = 1 };

class MenuDelegate : public Guarded {
public:
    ~MenuDelegate() override;
    // Called first when menu is about to show: fill or refresh it.
    virtual void menuNeedsUpdate(Menu& menu);
    // Called after validation, just before menu shows: enabling set here stands.
    virtual void menuWillOpen(Menu& menu);
    virtual void menuDidClose(Menu& menu);
};

class MenuItem : public QObject {
    Q_OBJECT

public:
    explicit MenuItem(const QString& title = QString(), const Action& action = Action(),
                      const QString& keyEquivalent = QString());
    ~MenuItem() override;

    static std::unique_ptr<MenuItem> separatorItem();
    bool isSeparatorItem() const { return separator_; }

    // The menu that holds this item, or null.
    Menu* menu() const;

    const QString& title() const { return title_; }
    void setTitle(const QString& title) { title_ = title; }
    const Action& action() const { return action_; }
    void setAction(const Action& action) { action_ = action; }
    // The explicit target, or null (the responder chain then decides).
    Responder* target() const { return target_.get(); }
    void setTarget(Responder* target) { target_ = target; }
    qint64 tag() const { return tag_; }
    void setTag(qint64 tag) { tag_ = tag; }
    // Any value: a path, a URL, a number, a serial number, a colour, a list.
    const QVariant& representedObject() const { return representedObject_; }
    void setRepresentedObject(const QVariant& object) { representedObject_ = object; }
    ControlState state() const { return state_; }
    void setState(ControlState state) { state_ = state; }
    // A QIcon, QImage or QPixmap (the adapter draws it); invalid for none.
    const QVariant& image() const { return image_; }
    void setImage(const QVariant& image) { image_ = image; }
    int indentationLevel() const { return indentation_; }
    void setIndentationLevel(int level);  // clamped to 0...15, like the platform
    // The item's own enabling. Validation overwrites it in menus that enable
    // their items automatically.
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }
    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden) { hidden_ = hidden; }
    // A key such as "q", "\r" or "\x1b"; empty for none. The mask defaults to
    // the Command key. An upper-case letter implies Shift.
    const QString& keyEquivalent() const { return keyEquivalent_; }
    void setKeyEquivalent(const QString& key) { keyEquivalent_ = key; }
    KeyModifiers keyEquivalentModifierMask() const { return modifierMask_; }
    void setKeyEquivalentModifierMask(KeyModifiers mask);
    // An alternate stands in for the item before it while exactly its
    // modifier mask is held.
    bool isAlternate() const { return alternate_; }
    void setAlternate(bool alternate) { alternate_ = alternate; }

    Menu* submenu() const { return submenu_.data(); }
    bool hasSubmenu() const { return submenu_ != nullptr; }
    // Takes ownership; a previous submenu is deleted. Null removes it.
    Menu* setSubmenu(std::unique_ptr<Menu> submenu);

    // Whether this item is its menu's highlighted item.
    bool isHighlighted() const;

private:
    QString title_;
    Action action_;
    WeakRef<Responder> target_;
    qint64 tag_ = 0;
    QVariant representedObject_;
    ControlState state_ = ControlState::Off;
    QVariant image_;
    int indentation_ = 0;
    bool enabled_ = true;
    bool hidden_ = false;
    bool separator_ = false;
    bool alternate_ = false;
    QString keyEquivalent_;
    KeyModifiers modifierMask_ = CommandKeyMask;
    QPointer<Menu> submenu_;  // a child of this item
};

class Menu : public QObject {
    Q_OBJECT

public:
    explicit Menu(const QString& title = QString(), QObject* parent = nullptr);
    ~Menu() override;

    const QString& title() const { return title_; }
    void setTitle(const QString& title) { title_ = title; }

    const QList<MenuItem*>& items() const { return items_; }
    int numberOfItems() const { return int(items_.size()); }
    // The item at index, or null when index is out of range.
    MenuItem* itemAtIndex(int index) const;
    int indexOfItem(const MenuItem* item) const { return int(items_.indexOf(item)); }
    int indexOfItemWithTag(qint64 tag) const;
    int indexOfItemWithTitle(const QString& title) const;
    int indexOfItemWithRepresentedObject(const QVariant& object) const;
    int indexOfItemWithSubmenu(const Menu* submenu) const;
    MenuItem* itemWithTitle(const QString& title) const;
    MenuItem* itemWithTag(qint64 tag) const;

    // Adds or inserts item, taking ownership; index is clamped into range.
    // An item already in another menu is refused (null returned).
    MenuItem* addItem(std::unique_ptr<MenuItem> item);
    MenuItem* insertItem(std::unique_ptr<MenuItem> item, int index);
    MenuItem* addItemWithTitle(const QString& title, const Action& action = Action(),
                               const QString& keyEquivalent = QString());
    MenuItem* addSeparator();
    // Removes and deletes; out-of-range indexes are ignored.
    void removeItemAtIndex(int index);
    void removeItem(MenuItem* item);
    void removeAllItems();
    // Removes item without deleting it; null when item is not here.
    std::unique_ptr<MenuItem> takeItem(MenuItem* item);

    MenuDelegate* delegate() const { return delegate_.get(); }
    void setDelegate(MenuDelegate* delegate) { delegate_ = delegate; }
    bool autoenablesItems() const { return autoenables_; }
    void setAutoenablesItems(bool on) { autoenables_ = on; }
    bool allowsContextMenuPlugIns() const { return allowsPlugIns_; }
    void setAllowsContextMenuPlugIns(bool on) { allowsPlugIns_ = on; }

    // The item whose submenu this menu is, and the menu that holds it.
    MenuItem* parentItem() const;
    Menu* supermenu() const;

    // The item under the pointer or last chosen; an open submenu's parent
    // item is highlighted in its supermenu. Kept after the menu closes, so
    // an action can still read it; cleared when the menu opens again.
    MenuItem* highlightedItem() const { return highlighted_.data(); }
    void setHighlightedItem(MenuItem* item);

Q_SIGNALS:
    // Items were added or removed (renderers rebuild what they show).
    void itemsChanged();

private:
    QString title_;
    QList<MenuItem*> items_;  // children of this menu
    WeakRef<MenuDelegate> delegate_;
    bool autoenables_ = true;
    bool allowsPlugIns_ = true;
    QPointer<MenuItem> highlighted_;
};

}  // namespace corvane::ui
