// Menu models shown as Qt menus: what the QMenu shows after the delegate and
// validation ran, choosing, alternates with the Option (Alt) key, highlights,
// context menus with their window's controller, key equivalents.
#include "../MenuTestSupport.h"
#include "../QtPrinters.h"
#include "WidgetTestSupport.h"
#include "platform/ui/widgets/MenuAdapter.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

using namespace corvane::ui;
using namespace corvane::ui::testing;

namespace {

QStringList shownTitles(QMenu* menu)
{
    QStringList titles;
    for (QAction* a : menu->actions()) {
        if (!a->isVisible())
            continue;
        if (a->isSeparator()) {
            titles << QStringLiteral("-");
            continue;
        }
        QString t = a->isEnabled() ? a->text() : QLatin1Char('[') + a->text() + QLatin1Char(']');
        if (a->isChecked())
            t += QStringLiteral(" *");
        titles << t;
    }
    return titles;
}

// The monitor's context menu in small: a process list filled as it opens,
// window levels checked by the window's level, a Process submenu with the
// Force Quit alternate.
struct MonitorMenu {
    QStringList log;
    RecordingResponder controller{QStringLiteral("controller")};
    LoggingDelegate delegate{&log};
    Menu top{QStringLiteral("Pulsewick")};
    Menu* attach = nullptr;
    Menu* process = nullptr;
    qint64 level = 1000;

    MonitorMenu()
    {
        controller.handle("attachProcess:", &log);
        controller.handle("setWindowLevel:", &log);
        controller.handle("quitProcess:", &log);
        controller.handle("killProcess:", &log);
        controller.validator = [this](MenuItem& i) {
            if (i.action() == Action("setWindowLevel:"))
                i.setState(i.tag() == level ? ControlState::On : ControlState::Off);
            return true;
        };
        top.setDelegate(&delegate);
        MenuItem* levels = top.addItemWithTitle(QStringLiteral("Window Level"));
        Menu* levelMenu =
            levels->setSubmenu(std::make_unique<Menu>(QStringLiteral("Window Level")));
        for (auto [title, tag] :
             {std::pair{"NSNormalWindowLevel", 0}, {"NSScreenSaverWindowLevel", 1000}}) {
            MenuItem* item =
                levelMenu->addItemWithTitle(QString::fromLatin1(title), Action("setWindowLevel:"));
            item->setTag(tag);
        }
        top.addSeparator();
        attach = top.addItemWithTitle(QStringLiteral("Attach to Process"))
                     ->setSubmenu(std::make_unique<Menu>(QStringLiteral("Attach to Process")));
        attach->setAutoenablesItems(false);
        attach->setDelegate(&delegate);
        top.addSeparator();
        process = top.addItemWithTitle(QStringLiteral("Process"))
                      ->setSubmenu(std::make_unique<Menu>(QStringLiteral("Process")));
        process->addItemWithTitle(QStringLiteral("Quit"), Action("quitProcess:"))
            ->setKeyEquivalentModifierMask(NoModifier);
        MenuItem* force =
            process->addItemWithTitle(QStringLiteral("Force Quit"), Action("killProcess:"));
        force->setAlternate(true);
        force->setKeyEquivalentModifierMask(AlternateKeyMask);
        delegate.onUpdate = [this](Menu& m) {
            if (&m != attach || m.numberOfItems() > 0)
                return;
            m.addItemWithTitle(QStringLiteral("Applications"))->setEnabled(false);
            MenuItem* mail =
                m.addItemWithTitle(QStringLiteral("Mail & Co (4321)"), Action("attachProcess:"));
            mail->setTag(4321);
            mail->setIndentationLevel(1);
        };
    }
};

}  // namespace

TEST(MenuAdapter, AContextMenuShowsWhatTheDelegateAndValidationMadeAndActsForItsWindow)
{
    widgetApp();
    MonitorMenu m;
    RecordingResponder appFirst(QStringLiteral("other window"));
    appFirst.handle("attachProcess:", &m.log);
    ResponderChain chain;
    chain.setFirstResponder(&appFirst);  // another window is key
    MenuAdapter adapter(&chain);

    QMenu* qmenu = adapter.popUpContextMenu(&m.top, QPoint(100, 100), &m.controller);
    ASSERT_TRUE(waitUntil([qmenu] { return qmenu->isVisible(); }));
    EXPECT_EQ(shownTitles(qmenu), (QStringList{QStringLiteral("Window Level"), QStringLiteral("-"),
                                               QStringLiteral("Attach to Process"),
                                               QStringLiteral("-"), QStringLiteral("Process")}));
    EXPECT_TRUE(m.log.startsWith(QStringLiteral("update:Pulsewick")));

    // Submenus fill themselves as they open; the parent item is highlighted.
    QMenu* attach = adapter.menuFor(m.attach);
    ASSERT_EQ(adapter.actionFor(m.top.itemAtIndex(2))->menu(), attach);
    attach->popup(QPoint(200, 120));
    ASSERT_TRUE(waitUntil([attach] { return attach->isVisible(); }));
    EXPECT_EQ(m.top.highlightedItem(), m.top.itemAtIndex(2));
    // "&" stays a character, the indentation shows, the heading is disabled.
    EXPECT_EQ(shownTitles(attach), (QStringList{QStringLiteral("[Applications]"),
                                                QStringLiteral("    Mail && Co (4321)")}));

    // Choosing reaches the controller of the menu's window, not the key window's.
    adapter.actionFor(m.attach->itemAtIndex(1))->trigger();
    EXPECT_EQ(m.log.filter(QStringLiteral(":attachProcess:")),
              QStringList{QStringLiteral("controller:attachProcess:(4321)")});
    EXPECT_EQ(m.attach->highlightedItem(), m.attach->itemAtIndex(1));
    attach->hide();
    qmenu->hide();
}

TEST(MenuAdapter, CheckMarksFollowValidationEveryTimeTheMenuOpens)
{
    widgetApp();
    MonitorMenu m;
    ResponderChain chain;
    chain.setFirstResponder(&m.controller);
    MenuAdapter adapter(&chain);
    Menu* levels = m.top.itemAtIndex(0)->submenu();
    QMenu* qlevels = adapter.menuFor(levels);

    qlevels->popup(QPoint(10, 10));
    ASSERT_TRUE(waitUntil([qlevels] { return qlevels->isVisible(); }));
    EXPECT_EQ(shownTitles(qlevels), (QStringList{QStringLiteral("NSNormalWindowLevel"),
                                                 QStringLiteral("NSScreenSaverWindowLevel *")}));
    QAction* normal = adapter.actionFor(levels->itemAtIndex(0));
    normal->trigger();
    EXPECT_TRUE(m.log.contains(QStringLiteral("controller:setWindowLevel:(0)")));
    qlevels->hide();

    m.level = 0;
    qlevels->popup(QPoint(10, 10));
    ASSERT_TRUE(waitUntil([qlevels] { return qlevels->isVisible(); }));
    EXPECT_EQ(shownTitles(qlevels), (QStringList{QStringLiteral("NSNormalWindowLevel *"),
                                                 QStringLiteral("NSScreenSaverWindowLevel")}));
    // The same actions are reused from one opening to the next.
    EXPECT_EQ(adapter.actionFor(levels->itemAtIndex(0)), normal);
    qlevels->hide();
}

TEST(MenuAdapter, HoldingAltShowsTheAlternateInPlaceOfItsPartner)
{
    widgetApp();
    MonitorMenu m;
    ResponderChain chain;
    chain.setFirstResponder(&m.controller);
    MenuAdapter adapter(&chain);
    QMenu* process = adapter.menuFor(m.process);
    process->popup(QPoint(30, 30));
    ASSERT_TRUE(waitUntil([process] { return process->isVisible(); }));
    EXPECT_EQ(shownTitles(process), QStringList{QStringLiteral("Quit")});

    QTest::keyPress(process, Qt::Key_Alt, Qt::AltModifier);
    EXPECT_EQ(shownTitles(process), QStringList{QStringLiteral("Force Quit")});
    // The menu stays open while Alt is held (a bare Alt would close it).
    QTest::qWait(50);
    EXPECT_TRUE(process->isVisible());
    adapter.actionFor(m.process->itemAtIndex(1))->trigger();
    EXPECT_TRUE(m.log.contains(QStringLiteral("controller:killProcess:(0)")));

    process->popup(QPoint(30, 30));
    ASSERT_TRUE(waitUntil([process] { return process->isVisible(); }));
    QTest::keyRelease(process, Qt::Key_Alt, Qt::AltModifier);
    EXPECT_EQ(shownTitles(process), QStringList{QStringLiteral("Quit")});
    process->hide();
}

TEST(MenuAdapter, ItemsThatLeaveTheModelLeaveTheMenuAndTheOthersKeepTheirActions)
{
    widgetApp();
    ResponderChain chain;
    MenuAdapter adapter(&chain);
    auto model = std::make_unique<Menu>(QStringLiteral("Attach to Process"));
    model->setAutoenablesItems(false);
    MenuItem* a = model->addItemWithTitle(QStringLiteral("A (1)"));
    MenuItem* b = model->addItemWithTitle(QStringLiteral("B (2)"));
    QPointer<QMenu> qmenu = adapter.menuFor(model.get());
    adapter.sync(model.get());
    QAction* actionA = adapter.actionFor(a);
    model->removeItem(b);
    model->insertItem(std::make_unique<MenuItem>(QStringLiteral("C (3)")), 0);
    adapter.sync(model.get());
    EXPECT_EQ(shownTitles(qmenu), (QStringList{QStringLiteral("C (3)"), QStringLiteral("A (1)")}));
    EXPECT_EQ(adapter.actionFor(a), actionA);
    EXPECT_EQ(qmenu->actions().size(), 2);

    // The model going away takes its QMenu with it.
    model.reset();
    ASSERT_TRUE(waitUntil([&qmenu] { return qmenu.isNull(); }));
}

TEST(MenuAdapter, KeyEquivalentsActInTheirWindowAfterValidation)
{
    widgetApp();
    QStringList log;
    RecordingResponder controller(QStringLiteral("controller"));
    controller.handle("showSource4:", &log);
    bool selection = false;
    controller.validator = [&selection](MenuItem&) { return selection; };
    ResponderChain chain;
    chain.setFirstResponder(&controller);
    MenuAdapter adapter(&chain);

    Menu main(QStringLiteral("Main"));
    Menu* file = main.addItemWithTitle(QStringLiteral("File"))
                     ->setSubmenu(std::make_unique<Menu>(QStringLiteral("File")));
    MenuItem* quickLook = file->addItemWithTitle(QStringLiteral("Quick Look"),
                                                 Action("showSource4:"), QStringLiteral("y"));

    QWidget window;
    auto* field = new QLineEdit(&window);
    (new QVBoxLayout(&window))->addWidget(field);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    adapter.installKeyEquivalents(&window, &main);
    QMenuBar bar;
    adapter.populateMenuBar(&bar, &main);
    ASSERT_EQ(bar.actions().size(), 1);
    EXPECT_EQ(bar.actions().first()->menu(), adapter.menuFor(file));
    EXPECT_EQ(bar.actions().first()->text(), QStringLiteral("File"));
    EXPECT_EQ(adapter.actionFor(quickLook)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Y));

    QTest::keyClick(field, Qt::Key_Y, Qt::ControlModifier);  // disabled: nothing happens
    EXPECT_TRUE(log.isEmpty());
    selection = true;
    QTest::keyClick(field, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(log, QStringList{QStringLiteral("controller:showSource4:(0)")});
    QTest::keyClick(field, Qt::Key_Y);  // no Command: typing, not a command
    EXPECT_EQ(log.size(), 1);
    EXPECT_EQ(field->text(), QStringLiteral("y"));
}
