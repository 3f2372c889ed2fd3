// Puts the framework's pieces on a real screen and saves what the screen
// shows, one PNG per scene, into the folder given as the only argument:
// floating panels with their context menu, the alternate "Force Quit", the
// list table, an alert with its suppression check box, a save panel with an
// accessory view, the preview panel. Run it under scripts/with-session.sh.
#include "platform/ui/KeyPathBinding.h"
#include "platform/ui/Menu.h"
#include "platform/ui/ObservableDictionary.h"
#include "platform/ui/Panels.h"
#include "platform/ui/TypeIdentifiers.h"
#include "platform/ui/WindowLevels.h"
#include "platform/ui/widgets/ArrayTableView.h"
#include "platform/ui/widgets/ChildWindows.h"
#include "platform/ui/widgets/FloatingPanel.h"
#include "platform/ui/widgets/LayerViews.h"
#include "platform/ui/widgets/MenuAdapter.h"
#include "platform/ui/widgets/PreviewPanel.h"
#include "platform/ui/widgets/WidgetPresenter.h"
#include "platform/ui/widgets/WindowPlacement.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <memory>

using namespace corvane::ui;

namespace {

QString screensFolder;

void shoot(const QString& name)
{
    QTest::qWait(400);
    const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
    const QString path = screensFolder + QLatin1Char('/') + name + QStringLiteral(".png");
    std::printf("%s %s\n", screen.save(path) ? "saved" : "FAILED", qPrintable(path));
}

QImage appIcon(const QColor& color, const QString& letter)
{
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(color);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(4, 4, 56, 56, 12, 12);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPointSize(26);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 0, 64, 64), Qt::AlignCenter, letter);
    return image;
}

// A panel as the monitor builds it: title, figure bound to a key, name line.
FloatingPanel* figurePanel(ObservableDictionary& info, const QString& key, const QString& title,
                           const QColor& background, const QRect& frame)
{
    auto* panel = new FloatingPanel(frame);
    panel->setBackgroundColor(background);
    panel->setLevel(NSScreenSaverWindowLevel);
    const qreal l =
        0.299 * background.redF() + 0.587 * background.greenF() + 0.114 * background.blueF();
    const QColor text = 0.5 > 1 - l ? Qt::black : Qt::white;
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 2, 0, 2);
    auto* name = new TextLayer(panel);
    name->setFontNamed(QStringLiteral("Century Gothic"), 12);
    name->setForegroundColor(text);
    bind(name, QStringLiteral("string"), &info, QStringLiteral("LSDisplayName"));
    auto* figure = new TextLayer(panel);
    figure->setFontNamed(QStringLiteral("Century Gothic"), 24);
    figure->setForegroundColor(text);
    bind(figure, QStringLiteral("string"), &info, key);
    auto* label = new TextLayer(panel);
    label->setFontNamed(QStringLiteral("Century Gothic"), 12);
    label->setForegroundColor(text);
    label->setString(title);
    column->addWidget(name, 0, Qt::AlignHCenter | Qt::AlignTop);
    column->addWidget(figure, 1, Qt::AlignCenter);
    column->addWidget(label, 0, Qt::AlignHCenter | Qt::AlignBottom);
    return panel;
}

struct Monitor : Responder {
    Menu menu{QStringLiteral("Pulsewick")};
    Menu* levels = nullptr;
    Menu* process = nullptr;
    qint32 level = NSScreenSaverWindowLevel;

    Monitor()
    {
        addAction(Action("setWindowLevel:"), [](QObject*) {});
        addAction(Action("quitProcess:"), [](QObject*) {});
        addAction(Action("killProcess:"), [](QObject*) {});
        addAction(Action("orderFrontWhitePanel:"), [](QObject*) {});
        addAction(Action("terminate:"), [](QObject*) {});
        menu.addItemWithTitle(QStringLiteral("Quit Pulsewick"), Action("terminate:"));
        menu.addSeparator();
        levels = menu.addItemWithTitle(QStringLiteral("Window Level"))
                     ->setSubmenu(std::make_unique<Menu>(QStringLiteral("Window Level")));
        for (int key :
             {kCGNormalWindowLevelKey, kCGFloatingWindowLevelKey, kCGMainMenuWindowLevelKey,
              kCGStatusWindowLevelKey, kCGModalPanelWindowLevelKey, kCGPopUpMenuWindowLevelKey,
              kCGScreenSaverWindowLevelKey}) {
            static const char* names[] = {"",
                                          "",
                                          "",
                                          "",
                                          "NSNormalWindowLevel",
                                          "NSFloatingWindowLevel",
                                          "",
                                          "",
                                          "NSMainMenuWindowLevel",
                                          "NSStatusWindowLevel",
                                          "NSModalPanelWindowLevel",
                                          "NSPopUpMenuWindowLevel",
                                          "",
                                          "NSScreenSaverWindowLevel"};
            levels->addItemWithTitle(QString::fromLatin1(names[key]), Action("setWindowLevel:"))
                ->setTag(CGWindowLevelForKey(key));
        }
        menu.addSeparator();
        menu.addItemWithTitle(QStringLiteral("New CPU Window"), Action("orderFrontWhitePanel:"));
        menu.addItemWithTitle(QStringLiteral("Attach to Process"))
            ->setSubmenu(std::make_unique<Menu>());
        menu.addSeparator();
        MenuItem* processItem = menu.addItemWithTitle(QStringLiteral("Mail (64 bit)"));
        processItem->setImage(
            QIcon(QPixmap::fromImage(appIcon(QColor(70, 130, 220), QStringLiteral("M")))));
        process = processItem->setSubmenu(std::make_unique<Menu>(QStringLiteral("Process")));
        process->addItemWithTitle(QStringLiteral("Hide"));
        process->addItemWithTitle(QStringLiteral("Quit"), Action("quitProcess:"))
            ->setKeyEquivalentModifierMask(NoModifier);
        MenuItem* force =
            process->addItemWithTitle(QStringLiteral("Force Quit"), Action("killProcess:"));
        force->setAlternate(true);
        force->setKeyEquivalentModifierMask(AlternateKeyMask);
    }
    bool validateMenuItem(MenuItem& item) override
    {
        if (item.action() == Action("setWindowLevel:"))
            item.setState(item.tag() == level ? ControlState::On : ControlState::Off);
        return true;
    }
};

class Record : public QObject {
public:
    Record(QString n, bool b, QColor c) : name(std::move(n)), flag3(b), color(std::move(c)) {}
    QString name;
    bool flag3;
    QColor color;
};

struct List : TableViewDataSource {
    ArrayController* controller = nullptr;
    Record* record(int row) const
    {
        return static_cast<Record*>(controller->arrangedObjects().at(row).value<QObject*>());
    }
    int numberOfRowsInTableView(const TableView&) override { return controller->arrangedCount(); }
    QVariant tableViewObjectValueForTableColumnRow(const TableView& t, const TableColumn& c,
                                                   int row) override
    {
        const Record* r = record(row);
        if (c.identifier == QLatin1String("1"))
            return appIcon(r->color, r->name.left(1));
        if (c.identifier == QLatin1String("2")) {
            const bool selected = t.isRowSelected(row);
            const QString folder = QStringLiteral("/Applications/Utilities");
            AttributedString s;
            s.runs.append({r->name + QLatin1Char('\n') + folder,
                           {0, TextColorRole::AlternateSelectedControlText, 0}});
            s.setAttributes(0, int(r->name.size()),
                            {13,
                             selected ? TextColorRole::AlternateSelectedControlText
                                      : TextColorRole::ControlText,
                             0});
            s.setAttributes(int(r->name.size()) + 1, int(folder.size()),
                            {11,
                             selected ? TextColorRole::AlternateSelectedControlText
                                      : TextColorRole::DisabledControlText,
                             0.1});
            return QVariant::fromValue(s);
        }
        return r->flag3;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    screensFolder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(screensFolder);

    // A document window in the background, to show the panels float over it.
    QLabel document(QStringLiteral("An ordinary window at the normal level"));
    document.setAlignment(Qt::AlignCenter);
    document.setGeometry(20, 380, 520, 380);
    document.show();

    ObservableDictionary info;
    info.setValue(QStringLiteral("LSDisplayName"), QStringLiteral("Mail"));
    info.setValue(QStringLiteral("currentProcessType"), QStringLiteral("64"));
    info.setValue(QStringLiteral("currentProcessCPU"), QStringLiteral("12.5"));
    info.setValue(QStringLiteral("currentProcessMEM"), QStringLiteral("3.1"));
    info.setValue(QStringLiteral("NSApplicationIcon"),
                  appIcon(QColor(70, 130, 220), QStringLiteral("M")));

    // The main panel: name on top, the icon button in the middle, the word
    // size at the bottom.
    auto* main = new FloatingPanel(screenRectFromBottomLeft(QRect(0, 0, 96, 96)));
    main->setBackgroundColor(QColor(250, 255, 249));
    main->setMovableByWindowBackground(true);
    auto* mainColumn = new QVBoxLayout(main);
    mainColumn->setContentsMargins(0, 2, 0, 2);
    mainColumn->setSpacing(0);
    auto* mainName = new TextLayer(main);
    mainName->setFontNamed(QStringLiteral("Century Gothic"), 12);
    bind(mainName, QStringLiteral("string"), &info, QStringLiteral("LSDisplayName"));
    auto* icon = new ImageButton(main);
    icon->setIconSize(QSize(48, 48));
    bind(icon, QStringLiteral("image"), &info, QStringLiteral("NSApplicationIcon"));
    auto* wordSize = new TextLayer(main);
    wordSize->setFontNamed(QStringLiteral("Century Gothic"), 12);
    bind(wordSize, QStringLiteral("string"), &info, QStringLiteral("currentProcessType"));
    mainColumn->addWidget(mainName, 0, Qt::AlignHCenter | Qt::AlignTop);
    mainColumn->addWidget(icon, 1, Qt::AlignCenter);
    mainColumn->addWidget(wordSize, 0, Qt::AlignHCenter | Qt::AlignBottom);
    auto* mem = figurePanel(info, QStringLiteral("currentProcessMEM"), QStringLiteral("MEM"),
                            QColor(185, 168, 122), screenRectFromBottomLeft(QRect(0, 96, 96, 96)));
    auto* cpu = figurePanel(info, QStringLiteral("currentProcessCPU"), QStringLiteral("CPU"),
                            QColor(37, 85, 169), screenRectFromBottomLeft(QRect(0, 192, 96, 96)));
    addChildWindow(main, cpu, WindowOrderingMode::Below);
    addChildWindow(main, mem, WindowOrderingMode::Below);
    main->setLevel(NSScreenSaverWindowLevel);
    main->orderFront();
    QTest::qWait(300);
    main->move(main->pos() + QPoint(40, -10));  // the children follow

    Monitor monitor;
    ResponderChain chain;
    chain.setFirstResponder(&monitor);
    MenuAdapter adapter(&chain);
    QMenu* top =
        adapter.popUpContextMenu(&monitor.menu, main->mapToGlobal(QPoint(60, 40)), &monitor);
    QTest::qWait(300);
    QMenu* levelMenu = adapter.menuFor(monitor.levels);
    levelMenu->popup(top->geometry().topRight() + QPoint(0, 30));
    shoot(QStringLiteral("1-panels-and-window-level-menu"));
    levelMenu->hide();

    QMenu* processMenu = adapter.menuFor(monitor.process);
    processMenu->popup(top->geometry().topRight() + QPoint(0, 120));
    QTest::qWait(300);
    QTest::keyPress(processMenu, Qt::Key_Alt, Qt::AltModifier);
    shoot(QStringLiteral("2-process-menu-with-option-held"));
    QTest::keyRelease(processMenu, Qt::Key_Alt, Qt::AltModifier);
    processMenu->hide();
    top->hide();

    // The survey list.
    std::vector<std::unique_ptr<Record>> records;
    QVariantList content;
    const std::pair<const char*, bool> apps[] = {{"Activity Monitor", false},
                                                 {"Grapher", true},
                                                 {"Keychain Access", false},
                                                 {"Retro Game", true},
                                                 {"Script Editor", true}};
    int hue = 0;
    for (const auto& [name, is32] : apps) {
        records.push_back(std::make_unique<Record>(QString::fromLatin1(name), is32,
                                                   QColor::fromHsv(hue, 160, 200)));
        hue += 60;
        content.append(QVariant::fromValue<QObject*>(records.back().get()));
    }
    ArrayController controller;
    controller.setContent(content);
    List list;
    list.controller = &controller;
    ArrayTableView table;
    table.setWindowTitle(QStringLiteral("Corvane"));
    table.setTableColumns(
        {{QStringLiteral("1"), QString(), CellKind::Image, 44, {}, {}},
         {QStringLiteral("2"), QStringLiteral("Application"), CellKind::Text, 300, {}, {}},
         {QStringLiteral("3"), QStringLiteral("32-bit"), CellKind::CheckBox, 60, {}, {}}});
    table.setIconSize(QSize(32, 32));
    table.verticalHeader()->setDefaultSectionSize(38);
    table.setDataSource(&list);
    table.bindArrayController(&controller);
    controller.setSelectionIndexes({1});
    table.setGeometry(600, 60, 420, 240);
    table.show();
    shoot(QStringLiteral("3-array-table"));

    // An alert with a suppression check box, and a save panel with an accessory view.
    WidgetPresenter presenter;
    ScopedPresenter scope(&presenter);
    QTimer::singleShot(800, [] {
        shoot(QStringLiteral("4-alert-with-suppression"));
        if (QWidget* w = QApplication::activeModalWidget())
            w->close();
    });
    Alert alert;
    alert.messageText = QStringLiteral("Move to Applications folder in your Home folder?");
    alert.informativeText =
        QStringLiteral("I can move myself to the Applications folder if you'd like.");
    alert.addButtonWithTitle(QStringLiteral("Move to Applications Folder"));
    alert.addButtonWithTitle(QStringLiteral("Do Not Move")).keyEquivalent = kEscapeKeyEquivalent;
    alert.showsSuppressionButton = true;
    alert.suppressionButtonIsSmall = true;
    runAlert(alert);

    SavePanel save;
    save.setNameFieldStringValue(QStringLiteral("Mail"));
    save.setAllowedFileTypes({uti::kPNG});
    QTemporaryDir shots;
    QDir(shots.path()).mkpath(QStringLiteral("Screen Shots"));
    for (const char* name : {"Mail.png", "Mail window.tiff", "Preview.jpeg"}) {
        QFile file(shots.path() + QLatin1Char('/') + QString::fromLatin1(name));
        file.open(QIODevice::WriteOnly);
    }
    save.setDirectoryURL(QUrl::fromLocalFile(shots.path()));
    QWidget accessory;
    auto* row = new QHBoxLayout(&accessory);
    row->addWidget(new QLabel(QStringLiteral("File Format:")));
    auto* formats = new QComboBox;
    formats->addItems({QStringLiteral("PNG"), QStringLiteral("JPEG"), QStringLiteral("TIFF")});
    row->addWidget(formats, 1);
    save.setAccessoryView(&accessory);
    QTimer::singleShot(1200, [] {
        shoot(QStringLiteral("5-save-panel-with-accessory"));
        if (QWidget* w = QApplication::activeModalWidget())
            w->close();
    });
    save.runModal();

    // The preview panel fed by a controller.
    struct Feeder : Responder, PreviewPanelController, PreviewPanelDataSource {
        bool acceptsPreviewPanelControl(PreviewPanel&) override { return true; }
        void beginPreviewPanelControl(PreviewPanel& p) override { p.setDataSource(this); }
        void endPreviewPanelControl(PreviewPanel& p) override { p.setDataSource(nullptr); }
        int numberOfPreviewItemsInPreviewPanel(PreviewPanel&) override { return 2; }
        PreviewItem previewPanelPreviewItemAtIndex(PreviewPanel&, int i) override
        {
            return i == 0
                       ? PreviewItem{QUrl::fromLocalFile(QDir::tempPath()),
                                     QStringLiteral("Grapher")}
                       : PreviewItem{QUrl::fromLocalFile(QDir::homePath()), QStringLiteral("Home")};
        }
    } feeder;
    chain.setFirstResponder(&feeder);
    PreviewPanel* preview = PreviewPanel::sharedPreviewPanel();
    preview->setResponderChain(&chain);
    preview->setIconProvider([](const QUrl&) {
        return QIcon(QPixmap::fromImage(appIcon(QColor(200, 120, 40), QStringLiteral("G"))));
    });
    preview->move(640, 360);
    preview->makeKeyAndOrderFront();
    shoot(QStringLiteral("6-preview-panel"));
    preview->close();
    main->close();
    return 0;
}
