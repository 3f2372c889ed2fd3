// Shows menu models (Menu.h) with Qt: one QMenu per model menu, whose
// actions are brought in line with the model each time it is about to show,
// after the model's delegate has updated it and validation has run
// (MenuTracker). Hovering an item highlights it in the model; an open
// submenu highlights its parent item; choosing an item sends its action to
// its target or along the responder chain. While a menu is open, pressing
// or releasing a modifier key swaps alternates for their partners.
//
// Key equivalents are drawn beside the items. They act while a window that
// installKeyEquivalents() names has the keyboard: a key press goes to the
// model (its menus updated and validated first, as when they open) and is
// consumed when an item performed it.
//
// Ownership: the adapter owns the QMenus and QActions it makes; a QMenu goes
// when its model menu is destroyed or the adapter is. Models are not owned.
// The chain must outlive the adapter. Main thread only.
#pragma once

#include "platform/ui/Menu.h"
#include "platform/ui/MenuTracker.h"
#include "platform/ui/Responder.h"

#include <QHash>
#include <QKeySequence>
#include <QObject>
#include <QPoint>
#include <QPointer>

#include <map>
#include <memory>

class QAction;
class QKeyEvent;
class QMenu;
class QMenuBar;
class QWidget;

namespace corvane::ui {

class MenuAdapter : public QObject {
    Q_OBJECT

public:
    explicit MenuAdapter(const ResponderChain* chain, QObject* parent = nullptr);
    ~MenuAdapter() override;

    // The QMenu that shows model, made on first use.
    QMenu* menuFor(Menu* model);
    // The action that shows item, once its menu has been shown (or synced).
    QAction* actionFor(const MenuItem* item) const;

    // One menu-bar menu per item of mainMenu that has a submenu.
    void populateMenuBar(QMenuBar* bar, Menu* mainMenu);
    // Key presses in window (and its children) try mainMenu's key
    // equivalents first.
    void installKeyEquivalents(QWidget* window, Menu* mainMenu);

    // Pops model up at globalPos. While it is open, firstResponder (the
    // controller of the window it belongs to) starts the responder chain.
    QMenu* popUpContextMenu(Menu* model, const QPoint& globalPos,
                            Responder* firstResponder = nullptr);
    // A secondary click on view pops model up with firstResponder.
    void setContextMenu(QWidget* view, Menu* model, Responder* firstResponder);

    // Brings model's QMenu in line with the model now, without delegate
    // calls or validation.
    void sync(Menu* model);

    MenuTracker& tracker() { return tracker_; }

    // Our modifier flags for Qt's, and the key sequence of an item's key
    // equivalent (empty for none).
    static KeyModifiers modifierFlags(Qt::KeyboardModifiers modifiers);
    static QKeySequence keySequenceFor(const MenuItem& item);
    // The key string of a key press ("a", "\r", "\x1b"), empty for keys that
    // cannot be key equivalents.
    static QString keyEquivalentFor(const QKeyEvent& event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Rendered;
    Rendered* renderedFor(Menu* model, bool create);
    void aboutToShow(Menu* model);
    void aboutToHide(Menu* model);
    void refreshChain();
    void modifiersChanged(KeyModifiers flags);
    QAction* actionForItem(Rendered& r, MenuItem* item);

    const ResponderChain* appChain_;
    ResponderChain effectiveChain_;
    WeakRef<Responder> contextResponder_;
    QPointer<Menu> contextMenu_;
    MenuTracker tracker_;
    std::map<const Menu*, std::unique_ptr<Rendered>> rendered_;
    QHash<QObject*, QPointer<Menu>> keyWindows_;
};

}  // namespace corvane::ui
