// What the menu system does with a menu model, without drawing anything:
// opening a menu (the delegate's update, validation, the will-open call),
// working out what the user sees (separators, alternates for the modifier
// keys held, enabling and check marks), choosing an item (its action to its
// target or along the responder chain) and key equivalents.
//
// The widgets' MenuAdapter runs every menu it shows through a tracker, and
// tests drive one directly: open a menu, read the visible items, choose one.
//
// Validation, for an item in a menu that enables its items automatically:
//  - no action: enabled exactly when it has a submenu;
//  - an action nobody performs (no target, no responder along the chain):
//    disabled;
//  - otherwise the performing responder's validateMenuItem() decides, and
//    may set the state and title as it goes.
// In other menus every item keeps its own enabling.
#pragma once

#include "platform/ui/Menu.h"
#include "platform/ui/Responder.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace corvane::ui {

// One row of an open menu as the user sees it.
struct VisibleItem {
    MenuItem* item = nullptr;
    QString title;
    bool separator = false;
    bool enabled = false;
    ControlState state = ControlState::Off;
    bool hasSubmenu = false;
    int indentationLevel = 0;
    QVariant image;
    QString keyEquivalent;
    KeyModifiers modifierMask = NoModifier;
};

class MenuTracker {
public:
    // chain: where actions without a target go; it must outlive the tracker.
    explicit MenuTracker(const ResponderChain* chain);

    // Modifier keys held now; they decide which alternates show.
    void setModifierFlags(KeyModifiers flags)
    {
        modifiers_ = flags & kDeviceIndependentModifierMask;
    }
    KeyModifiers modifierFlags() const { return modifiers_; }

    // Prepares menu the way it is prepared just before it shows: clears its
    // highlight, calls the delegate's menuNeedsUpdate(), validates (when the
    // menu enables automatically), calls menuWillOpen(). Returns what shows.
    QList<VisibleItem> open(Menu& menu);
    // Opens item's submenu: highlights item in its menu, then open(). An
    // item without a submenu gives an empty list.
    QList<VisibleItem> openSubmenu(MenuItem& item);
    // The delegate's menuDidClose(); the highlight stays for the action.
    void close(Menu& menu);

    // Validates every item of menu (not its submenus) when it enables
    // automatically.
    void update(Menu& menu) const;
    // Validates one item and stores the result in it; returns the enabling.
    bool validate(MenuItem& item) const;

    // What menu shows now, with the current modifier flags; no calls made.
    QList<VisibleItem> visibleItems(const Menu& menu) const;

    // The user chooses item: it becomes its menu's highlighted item, is
    // validated, and when enabled its action is sent with item as sender.
    // Returns whether a responder performed the action.
    bool choose(MenuItem& item);

    // A key press with modifiers: the first enabled item of menu or its
    // submenus (depth first) with that key equivalent performs its action
    // after its menu has been updated (delegate, validation). Returns
    // whether an item matched and was performed.
    bool performKeyEquivalent(Menu& menu, const QString& key, KeyModifiers modifiers);

    const ResponderChain* chain() const { return chain_; }

private:
    bool alternateShows(const Menu& menu, int index) const;
    MenuItem* findKeyEquivalent(Menu& menu, const QString& key, KeyModifiers modifiers, int depth);

    const ResponderChain* chain_;
    KeyModifiers modifiers_ = NoModifier;
};

// The modifiers a key equivalent needs: its mask, plus Shift for an
// upper-case letter.
KeyModifiers effectiveKeyModifiers(const MenuItem& item);

}  // namespace corvane::ui
