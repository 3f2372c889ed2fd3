// The menu model and what the menu system does with it: opening, delegate
// calls, validation, alternates, highlighted items, key equivalents.
#include "MenuTestSupport.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <QStringList>

using namespace corvane::ui;
using namespace corvane::ui::testing;

namespace {

std::unique_ptr<MenuItem> item(const QString& title, const char* action = nullptr, qint64 tag = 0)
{
    auto i = std::make_unique<MenuItem>(title, action ? Action(action) : Action());
    i->setTag(tag);
    return i;
}

}  // namespace

TEST(MenuModel, ItemsKeepTheirOrderAndBelongToOneMenu)
{
    Menu menu(QStringLiteral("Attach to Process"));
    MenuItem* b = menu.addItem(item(QStringLiteral("B (20)"), "attachProcess:", 20));
    MenuItem* a = menu.insertItem(item(QStringLiteral("A (10)"), "attachProcess:", 10), 0);
    menu.insertItem(item(QStringLiteral("C (30)"), "attachProcess:", 30), 99);  // clamped: last
    menu.insertItem(MenuItem::separatorItem(), -5);                             // clamped: first
    ASSERT_EQ(menu.numberOfItems(), 4);
    EXPECT_TRUE(menu.itemAtIndex(0)->isSeparatorItem());
    EXPECT_EQ(menu.itemAtIndex(1), a);
    EXPECT_EQ(menu.itemAtIndex(2), b);
    EXPECT_EQ(menu.indexOfItemWithTag(30), 3);
    EXPECT_EQ(menu.itemAtIndex(4), nullptr);
    EXPECT_EQ(menu.itemAtIndex(-1), nullptr);

    // An item can be in one menu only.
    Menu other;
    auto stray = menu.takeItem(b);
    ASSERT_TRUE(stray);
    EXPECT_EQ(stray->menu(), nullptr);
    MenuItem* moved = other.addItem(std::move(stray));
    EXPECT_EQ(moved->menu(), &other);
    EXPECT_EQ(menu.indexOfItemWithTag(20), -1);

    // Deleting an item directly takes it out of its menu's list.
    QPointer<MenuItem> gone = menu.itemWithTag(10);
    delete gone.data();
    EXPECT_EQ(menu.numberOfItems(), 2);
    EXPECT_EQ(menu.indexOfItemWithTag(10), -1);

    menu.removeItemAtIndex(0);
    menu.removeItemAtIndex(7);  // out of range: ignored
    ASSERT_EQ(menu.numberOfItems(), 1);
    EXPECT_EQ(menu.itemAtIndex(0)->title(), QStringLiteral("C (30)"));
    menu.removeAllItems();
    EXPECT_EQ(menu.numberOfItems(), 0);
}

TEST(MenuModel, SubmenusKnowTheirParentItemAndSupermenu)
{
    Menu top(QStringLiteral("Pulsewick"));
    MenuItem* process = top.addItemWithTitle(QStringLiteral("Process"), Action("activateProcess:"));
    Menu* sub = process->setSubmenu(std::make_unique<Menu>(QStringLiteral("Process")));
    MenuItem* options = sub->addItemWithTitle(QStringLiteral("Options"));
    Menu* optionsMenu = options->setSubmenu(std::make_unique<Menu>(QStringLiteral("Options")));

    EXPECT_EQ(top.supermenu(), nullptr);
    EXPECT_EQ(sub->parentItem(), process);
    EXPECT_EQ(sub->supermenu(), &top);
    EXPECT_EQ(optionsMenu->supermenu()->supermenu(), &top);
    EXPECT_EQ(top.indexOfItemWithSubmenu(sub), 0);

    // Replacing a submenu deletes the old one and everything in it.
    QPointer<Menu> old = sub;
    QPointer<MenuItem> oldChild = options;
    process->setSubmenu(std::make_unique<Menu>(QStringLiteral("Process")));
    EXPECT_TRUE(old.isNull());
    EXPECT_TRUE(oldChild.isNull());

    MenuItem indented(QStringLiteral("Mail (4321)"));
    indented.setIndentationLevel(1);
    EXPECT_EQ(indented.indentationLevel(), 1);
    indented.setIndentationLevel(40);
    EXPECT_EQ(indented.indentationLevel(), 15);
}

TEST(MenuTracker, TheDelegateFillsTheMenuBeforeValidationAndWillOpenHasTheLastWord)
{
    QStringList log;
    RecordingResponder controller(QStringLiteral("controller"));
    controller.handle("showSource8:", &log);
    controller.validator = [&log](MenuItem& i) {
        log << QStringLiteral("validate:") + i.title();
        return true;
    };
    ResponderChain chain;
    chain.setFirstResponder(&controller);

    LoggingDelegate delegate(&log);
    Menu view(QStringLiteral("View"));
    view.setDelegate(&delegate);
    MenuItem* sortBy = view.addItemWithTitle(QStringLiteral("Sort By"));
    sortBy->setSubmenu(std::make_unique<Menu>(QStringLiteral("Sort By")));
    delegate.onUpdate = [](Menu& m) {
        if (m.numberOfItems() == 1)
            m.addItemWithTitle(QStringLiteral("By Name"), Action("showSource8:"))->setTag(1);
    };
    // The window is not key: the delegate disables "Sort By" as the menu opens.
    delegate.onWillOpen = [sortBy](Menu&) { sortBy->setEnabled(false); };

    MenuTracker tracker(&chain);
    const QList<VisibleItem> rows = tracker.open(view);
    EXPECT_EQ(log, (QStringList{QStringLiteral("update:View"), QStringLiteral("validate:By Name"),
                                QStringLiteral("willOpen:View")}));
    // Validation would enable an item with a submenu; the will-open call came after it.
    EXPECT_EQ(describe(rows),
              (QStringList{QStringLiteral("[Sort By]"), QStringLiteral("By Name")}));

    log.clear();
    tracker.close(view);
    EXPECT_EQ(log, QStringList{QStringLiteral("didClose:View")});
}

TEST(MenuValidation, AutomaticEnablingFollowsActionsSubmenusAndTheController)
{
    QStringList log;
    RecordingResponder controller(QStringLiteral("controller"));
    controller.handle("setWindowLevel:", &log);
    controller.handle("revealRepresentedObject:", &log);
    qint64 currentLevel = 1000;
    controller.validator = [&currentLevel](MenuItem& i) {
        if (i.action() == Action("setWindowLevel:")) {
            i.setState(i.tag() == currentLevel ? ControlState::On : ControlState::Off);
            return true;
        }
        if (i.action() == Action("revealRepresentedObject:"))
            return i.representedObject().isValid();
        return true;
    };
    ResponderChain chain;
    chain.setFirstResponder(&controller);

    Menu menu(QStringLiteral("Pulsewick"));
    menu.addItemWithTitle(QStringLiteral("Assign To"));  // no action, no submenu: a heading
    menu.addItemWithTitle(QStringLiteral("Options"))->setSubmenu(std::make_unique<Menu>());
    menu.addItemWithTitle(QStringLiteral("Attach Application\u2026"), Action("showSource1:"));
    menu.addItemWithTitle(QStringLiteral("NSFloatingWindowLevel"), Action("setWindowLevel:"))
        ->setTag(3);
    menu.addItemWithTitle(QStringLiteral("NSScreenSaverWindowLevel"), Action("setWindowLevel:"))
        ->setTag(1000);
    MenuItem* prefs = menu.addItemWithTitle(QStringLiteral("Open Preferences"),
                                            Action("revealRepresentedObject:"));

    MenuTracker tracker(&chain);
    EXPECT_EQ(
        describe(tracker.open(menu)),
        (QStringList{
            QStringLiteral("[Assign To]"), QStringLiteral("Options"),
            QStringLiteral("[Attach Application\u2026]"), QStringLiteral("NSFloatingWindowLevel"),
            QStringLiteral("NSScreenSaverWindowLevel *"), QStringLiteral("[Open Preferences]")}));

    // Choosing a level: the check mark moves when the menu opens again.
    ASSERT_TRUE(tracker.choose(*menu.itemWithTag(3)));
    EXPECT_EQ(log, QStringList{QStringLiteral("controller:setWindowLevel:(3)")});
    currentLevel = 3;
    prefs->setRepresentedObject(QStringLiteral("/home/u/Library/Preferences/com.x.plist"));
    const QStringList reopened = describe(tracker.open(menu));
    EXPECT_EQ(reopened.mid(3), (QStringList{QStringLiteral("NSFloatingWindowLevel *"),
                                            QStringLiteral("NSScreenSaverWindowLevel"),
                                            QStringLiteral("Open Preferences")}));

    // A disabled item is never performed, even when chosen.
    EXPECT_FALSE(tracker.choose(*menu.itemAtIndex(2)));
}

TEST(MenuValidation, MenusWithoutAutomaticEnablingKeepEveryItemsOwnEnabling)
{
    ResponderChain chain;  // nobody performs anything
    Menu signals(QStringLiteral("Send Signal to Process"));
    signals.setAutoenablesItems(false);
    signals.addItemWithTitle(QStringLiteral("Kill (SIGKILL)"), Action("signalProcess:"))->setTag(9);
    MenuItem* heading = signals.addItemWithTitle(QStringLiteral("Applications"));
    heading->setEnabled(false);
    signals.addItemWithTitle(QStringLiteral("Mail (4321)"));  // enabled by its builder

    MenuTracker tracker(&chain);
    EXPECT_EQ(describe(tracker.open(signals)),
              (QStringList{QStringLiteral("Kill (SIGKILL)"), QStringLiteral("[Applications]"),
                           QStringLiteral("Mail (4321)")}));
    // Enabled but nobody performs it: choosing sends nothing and reports so.
    EXPECT_FALSE(tracker.choose(*signals.itemAtIndex(0)));
}

TEST(ResponderChain, ActionsReachTheTargetElseTheWindowControllerElseTheApplicationDelegate)
{
    QStringList log;
    RecordingResponder windowController(QStringLiteral("window"));
    RecordingResponder appDelegate(QStringLiteral("app"));
    RecordingResponder other(QStringLiteral("other"));
    windowController.handle("showSource3:", &log);
    appDelegate.handle("showSource3:", &log);
    appDelegate.handle("terminate:", &log);
    other.handle("showSource3:", &log);

    ResponderChain chain;
    chain.setFirstResponder(&windowController);
    chain.setApplicationDelegate(&appDelegate);

    Menu menu(QStringLiteral("File"));
    MenuItem* open = menu.addItemWithTitle(QStringLiteral("Open"), Action("showSource3:"));
    MenuItem* quit = menu.addItemWithTitle(QStringLiteral("Quit"), Action("terminate:"));
    MenuItem* targeted = menu.addItemWithTitle(QStringLiteral("Targeted"), Action("showSource3:"));
    targeted->setTarget(&other);

    MenuTracker tracker(&chain);
    tracker.open(menu);
    EXPECT_TRUE(tracker.choose(*open));
    EXPECT_TRUE(tracker.choose(*quit));
    EXPECT_TRUE(tracker.choose(*targeted));
    EXPECT_EQ(log, (QStringList{QStringLiteral("window:showSource3:(0)"),
                                QStringLiteral("app:terminate:(0)"),
                                QStringLiteral("other:showSource3:(0)")}));

    // A target that does not perform the action disables the item: the
    // chain is not asked instead.
    MenuItem* wrong = menu.addItemWithTitle(QStringLiteral("Wrong"), Action("terminate:"));
    wrong->setTarget(&other);
    EXPECT_FALSE(tracker.validate(*wrong));

    // Without a window controller the delegate still answers.
    chain.setFirstResponder(nullptr);
    log.clear();
    EXPECT_TRUE(tracker.choose(*open));
    EXPECT_EQ(log, QStringList{QStringLiteral("app:showSource3:(0)")});
}

TEST(ResponderChain, DestroyedRespondersAndCyclesAreHarmless)
{
    QStringList log;
    ResponderChain chain;
    RecordingResponder a(QStringLiteral("a"));
    RecordingResponder b(QStringLiteral("b"));
    a.setNextResponder(&b);
    b.setNextResponder(&a);  // a cycle
    chain.setFirstResponder(&a);
    EXPECT_EQ(chain.responders(), (QList<Responder*>{&a, &b}));
    EXPECT_EQ(chain.targetForAction(Action("nobody:")), nullptr);

    Menu menu(QStringLiteral("Window Level"));
    MenuItem* level =
        menu.addItemWithTitle(QStringLiteral("NSNormalWindowLevel"), Action("setWindowLevel:"));
    {
        RecordingResponder transient(QStringLiteral("transient"));
        transient.handle("setWindowLevel:", &log);
        level->setTarget(&transient);
        b.setNextResponder(&transient);
        MenuTracker tracker(&chain);
        EXPECT_TRUE(tracker.validate(*level));
    }
    // The target is gone: the item falls back to the chain, which ends at b.
    EXPECT_EQ(level->target(), nullptr);
    EXPECT_EQ(chain.responders(), (QList<Responder*>{&a, &b}));
    MenuTracker tracker(&chain);
    EXPECT_FALSE(tracker.choose(*level));
    EXPECT_TRUE(log.isEmpty());
}

TEST(MenuAlternates, AnAlternateReplacesItsPartnerOnlyWhileExactlyItsModifiersAreHeld)
{
    QStringList log;
    RecordingResponder controller(QStringLiteral("controller"));
    controller.handle("quitProcess:", &log);
    controller.handle("killProcess:", &log);
    ResponderChain chain;
    chain.setFirstResponder(&controller);

    Menu process(QStringLiteral("Process"));
    process.addItemWithTitle(QStringLiteral("Hide"), Action("quitProcess:"));
    MenuItem* quit = process.addItemWithTitle(QStringLiteral("Quit"), Action("quitProcess:"));
    quit->setKeyEquivalentModifierMask(NoModifier);
    MenuItem* force =
        process.addItemWithTitle(QStringLiteral("Force Quit"), Action("killProcess:"));
    force->setTag(2);
    force->setAlternate(true);
    force->setKeyEquivalentModifierMask(AlternateKeyMask);

    MenuTracker tracker(&chain);
    EXPECT_EQ(describe(tracker.open(process)),
              (QStringList{QStringLiteral("Hide"), QStringLiteral("Quit")}));
    tracker.setModifierFlags(AlternateKeyMask);
    const QList<VisibleItem> held = tracker.visibleItems(process);
    EXPECT_EQ(describe(held), (QStringList{QStringLiteral("Hide"), QStringLiteral("Force Quit")}));
    ASSERT_EQ(held.size(), 2);
    EXPECT_EQ(held.at(1).item, force);
    EXPECT_TRUE(tracker.choose(*held.at(1).item));
    EXPECT_EQ(log, QStringList{QStringLiteral("controller:killProcess:(2)")});

    // Option with Shift is not Option: the partner shows.
    tracker.setModifierFlags(AlternateKeyMask | ShiftKeyMask);
    EXPECT_EQ(describe(tracker.visibleItems(process)).last(), QStringLiteral("Quit"));

    // An alternate with nothing before it to stand in for is an ordinary item.
    Menu lone(QStringLiteral("Lone"));
    MenuItem* first = lone.addItemWithTitle(QStringLiteral("Only"), Action("quitProcess:"));
    first->setAlternate(true);
    first->setKeyEquivalentModifierMask(AlternateKeyMask);
    tracker.setModifierFlags(NoModifier);
    EXPECT_EQ(describe(tracker.open(lone)), QStringList{QStringLiteral("Only")});
}

TEST(MenuHighlight, AnActionReadsTheHighlightedItemsOfItsSupermenus)
{
    // A colour item finds the panel kind in the highlighted item two menus up.
    QVariant chosenKind;
    struct PanelController : Responder {
        QVariant* out = nullptr;
        PanelController()
        {
            addAction(Action("orderFrontPanel:"), [this](QObject* sender) {
                auto* colour = qobject_cast<MenuItem*>(sender);
                Menu* top = colour->menu()->supermenu()->supermenu();
                *out = top->highlightedItem()->representedObject();
            });
        }
    } controller;
    controller.out = &chosenKind;
    ResponderChain chain;
    chain.setFirstResponder(&controller);

    Menu top(QStringLiteral("Pulsewick"));
    MenuItem* cpu =
        top.addItemWithTitle(QStringLiteral("New CPU Window"), Action("orderFrontPanel:"));
    cpu->setRepresentedObject(
        QStringList{QStringLiteral("currentProcessCPU"), QStringLiteral("CPU")});
    MenuItem* mem =
        top.addItemWithTitle(QStringLiteral("New Memory Window"), Action("orderFrontPanel:"));
    mem->setRepresentedObject(
        QStringList{QStringLiteral("currentProcessMEM"), QStringLiteral("MEM")});
    for (MenuItem* kind : {cpu, mem}) {
        Menu* lists = kind->setSubmenu(std::make_unique<Menu>(QStringLiteral("New Window")));
        Menu* colours =
            lists->addItemWithTitle(QStringLiteral("Crayons"))
                ->setSubmenu(std::make_unique<Menu>(QStringLiteral("New Color Window")));
        colours->addItemWithTitle(QStringLiteral("Cantaloupe"), Action("orderFrontPanel:"));
    }

    MenuTracker tracker(&chain);
    tracker.open(top);
    EXPECT_EQ(top.highlightedItem(), nullptr);
    tracker.openSubmenu(*mem);
    MenuItem* crayons = mem->submenu()->itemAtIndex(0);
    tracker.openSubmenu(*crayons);
    EXPECT_EQ(top.highlightedItem(), mem);
    EXPECT_EQ(mem->submenu()->highlightedItem(), crayons);
    MenuItem* colour = crayons->submenu()->itemAtIndex(0);
    ASSERT_TRUE(tracker.choose(*colour));
    EXPECT_EQ(chosenKind.toStringList().value(1), QStringLiteral("MEM"));
    EXPECT_TRUE(colour->isHighlighted());

    // Opening the top menu again starts with nothing highlighted.
    tracker.open(top);
    EXPECT_EQ(top.highlightedItem(), nullptr);
}

TEST(MenuKeyEquivalents, AKeyPerformsTheMatchingEnabledItemAfterItsMenuIsUpdated)
{
    QStringList log;
    RecordingResponder controller(QStringLiteral("controller"));
    controller.handle("showSource4:", &log);
    controller.handle("toggleBottombarShown:", &log);
    bool selection = false;
    controller.validator = [&selection](MenuItem& i) {
        return i.action() != Action("showSource4:") || selection;
    };
    ResponderChain chain;
    chain.setFirstResponder(&controller);

    Menu main(QStringLiteral("Main"));
    Menu* file = main.addItemWithTitle(QStringLiteral("File"))
                     ->setSubmenu(std::make_unique<Menu>(QStringLiteral("File")));
    LoggingDelegate delegate(&log);
    delegate.onUpdate = [](Menu& m) {
        if (m.title() == QLatin1String("File") && m.numberOfItems() == 0) {
            m.addItemWithTitle(QStringLiteral("Quick Look"), Action("showSource4:"),
                               QStringLiteral("y"));
            m.addItemWithTitle(QStringLiteral("Show Path Bar"), Action("toggleBottombarShown:"),
                               QStringLiteral("P"));  // upper case: Command-Shift-P
        }
    };
    file->setDelegate(&delegate);

    MenuTracker tracker(&chain);
    // Disabled by validation: the key does nothing.
    EXPECT_FALSE(tracker.performKeyEquivalent(main, QStringLiteral("y"), CommandKeyMask));
    selection = true;
    EXPECT_TRUE(tracker.performKeyEquivalent(main, QStringLiteral("y"), CommandKeyMask));
    EXPECT_FALSE(tracker.performKeyEquivalent(main, QStringLiteral("p"), CommandKeyMask));
    EXPECT_TRUE(
        tracker.performKeyEquivalent(main, QStringLiteral("p"), CommandKeyMask | ShiftKeyMask));
    EXPECT_EQ(log.filter(QStringLiteral("controller")),
              (QStringList{QStringLiteral("controller:showSource4:(0)"),
                           QStringLiteral("controller:toggleBottombarShown:(0)")}));
    EXPECT_TRUE(log.contains(QStringLiteral("update:File")));
}

TEST(MenuTracker, ADelegateThatEmptiesAndRefillsItsMenuIsSafe)
{
    QStringList log;
    ResponderChain chain;
    LoggingDelegate delegate(&log);
    Menu openWith(QStringLiteral("Open With"));
    openWith.setAutoenablesItems(false);
    openWith.setDelegate(&delegate);
    QPointer<MenuItem> stale = openWith.addItemWithTitle(QStringLiteral("Old Editor"));
    int round = 0;
    delegate.onUpdate = [&round](Menu& m) {
        m.removeAllItems();
        if (++round == 1) {
            m.addItemWithTitle(QStringLiteral("TextEdit (default)"));
            m.addSeparator();
            m.addItemWithTitle(QStringLiteral("Other\u2026"));
        }
    };
    MenuTracker tracker(&chain);
    EXPECT_EQ(describe(tracker.open(openWith)),
              (QStringList{QStringLiteral("TextEdit (default)"), QStringLiteral("-"),
                           QStringLiteral("Other\u2026")}));
    EXPECT_TRUE(stale.isNull());
    EXPECT_TRUE(tracker.open(openWith).isEmpty());
}
