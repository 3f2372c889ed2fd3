// Alerts and panels shown with Qt: what the user sees and how the answer
// comes back, driven through the real dialogs.
#include "../QtPrinters.h"
#include "WidgetTestSupport.h"
#include "platform/ui/Panels.h"
#include "platform/ui/TypeIdentifiers.h"
#include "platform/ui/widgets/PanelDialog.h"
#include "platform/ui/widgets/WidgetPresenter.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>

using namespace corvane::ui;
using namespace corvane::ui::testing;

namespace {

Alert moveAlert()
{
    Alert alert;
    alert.messageText = QStringLiteral("Move to Applications folder?");
    alert.informativeText =
        QStringLiteral("I can move myself to the Applications folder if you'd like.");
    alert.addButtonWithTitle(QStringLiteral("Move to Applications Folder"));
    alert.addButtonWithTitle(QStringLiteral("Do Not Move")).keyEquivalent = kEscapeKeyEquivalent;
    alert.showsSuppressionButton = true;
    alert.suppressionButtonIsSmall = true;
    return alert;
}

QStringList buttonTexts(QMessageBox* box)
{
    QStringList texts;
    for (QAbstractButton* b : box->buttons())
        texts << b->text();
    texts.sort();
    return texts;
}

}  // namespace

TEST(WidgetPresenter, AnAlertShowsItsTextsButtonsAndCheckBoxAndAnswersTheButtonClicked)
{
    widgetApp();
    WidgetPresenter presenter;
    ScopedPresenter scope(&presenter);
    QStringList seen;
    bool escapeIsDoNotMove = false;
    bool defaultIsMove = false;
    whenModalShows([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_TRUE(box);
        seen << box->text() << box->informativeText() << buttonTexts(box);
        escapeIsDoNotMove =
            box->escapeButton() && box->escapeButton()->text() == QStringLiteral("Do Not Move");
        defaultIsMove = box->defaultButton() && box->defaultButton()->text() ==
                                                    QStringLiteral("Move to Applications Folder");
        ASSERT_TRUE(box->checkBox());
        seen << box->checkBox()->text();
        box->checkBox()->setChecked(true);
        for (QAbstractButton* b : box->buttons()) {
            if (b->text() == QStringLiteral("Do Not Move"))
                b->click();
        }
    });
    const AlertResponse response = runAlert(moveAlert());
    EXPECT_EQ(
        seen,
        (QStringList{QStringLiteral("Move to Applications folder?"),
                     QStringLiteral("I can move myself to the Applications folder if you'd like."),
                     QStringLiteral("Do Not Move"), QStringLiteral("Move to Applications Folder"),
                     QStringLiteral("Do not show this message again")}));
    EXPECT_TRUE(escapeIsDoNotMove);
    EXPECT_TRUE(defaultIsMove);
    EXPECT_EQ(response.button, NSAlertSecondButtonReturn);
    EXPECT_TRUE(response.suppressionButtonOn);
}

TEST(WidgetPresenter, EscapeAnswersTheEscapeButtonAndAnErrorHasOneOK)
{
    widgetApp();
    WidgetPresenter presenter;
    ScopedPresenter scope(&presenter);
    whenModalShows([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    Alert stop;
    stop.messageText = QStringLiteral("Stop \u201cMail\u201d?");
    stop.addButtonWithTitle(QStringLiteral("Stop"));
    stop.addButtonWithTitle(QStringLiteral("Cancel"));
    EXPECT_EQ(runAlert(stop).button, NSAlertSecondButtonReturn);

    QStringList buttons;
    QString informative;
    whenModalShows([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        buttons = buttonTexts(box);
        informative = box->informativeText();
        QTest::keyClick(modal, Qt::Key_Return);
    });
    presentStatus(corvane::status::kLSIncompatibleSystemVersionErr);
    EXPECT_EQ(buttons, QStringList{QStringLiteral("OK")});
    EXPECT_EQ(informative,
              corvane::statusComment(corvane::status::kLSIncompatibleSystemVersionErr));
}

TEST(WidgetPresenter, ASavePanelFiltersByTypeShowsItsAccessoryAndSwitchesTheExtension)
{
    widgetApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WidgetPresenter presenter;
    ScopedPresenter scope(&presenter);

    SavePanel panel;
    panel.setAllowedFileTypes({uti::kTIFF});
    panel.setNameFieldStringValue(QStringLiteral("Mail"));
    panel.setDirectoryURL(QUrl::fromLocalFile(dir.path()));
    auto accessory = std::make_unique<QComboBox>();
    accessory->addItems({QStringLiteral("TIFF"), QStringLiteral("JPEG")});
    QObject::connect(accessory.get(), &QComboBox::currentIndexChanged, &panel, [&panel](int i) {
        panel.setAllowedFileTypes({i == 0 ? uti::kTIFF : uti::kJPEG});
    });
    panel.setAccessoryView(accessory.get());

    QStringList filters;
    QString nameAfterSwitch;
    bool accessoryShown = false;
    whenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<PanelDialog*>(modal);
        ASSERT_TRUE(dialog);
        filters = dialog->nameFilters();
        accessoryShown = accessory->isVisible() && dialog->isAncestorOf(accessory.get());
        accessory->setCurrentIndex(1);  // the user picks JPEG
        auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        nameAfterSwitch = field ? field->text() : QString();
        dialog->accept();
    });
    ASSERT_EQ(panel.runModal(), NSModalResponseOK);
    EXPECT_EQ(filters, QStringList{QStringLiteral("TIFF image (*.tiff *.tif)")});
    EXPECT_TRUE(accessoryShown);
    EXPECT_EQ(nameAfterSwitch, QStringLiteral("Mail.jpeg"));
    EXPECT_EQ(panel.URL(), QUrl::fromLocalFile(dir.path() + QStringLiteral("/Mail.jpeg")));
    // The accessory view is handed back intact.
    EXPECT_EQ(accessory->parent(), nullptr);
}

TEST(WidgetPresenter, AnOpenPanelChoosesAnApplicationBundleInsteadOfEnteringIt)
{
    widgetApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = dir.path();
    ASSERT_TRUE(
        QDir(root).mkpath(QStringLiteral("Caf\u00e9 'Apps'/Retro Game.app/Contents/MacOS")));
    WidgetPresenter presenter;
    ScopedPresenter scope(&presenter);

    OpenPanel panel;
    panel.setTitle(QStringLiteral("Choose Application"));
    panel.setMessage(
        QStringLiteral("Choose an application to open the document \u201cnotes\u201d."));
    panel.setAllowedFileTypes({uti::kApplicationBundle});
    panel.setDirectoryURL(QUrl::fromLocalFile(root));
    const QString folder = root + QStringLiteral("/Caf\u00e9 'Apps'");
    const QString bundle = folder + QStringLiteral("/Retro Game.app");

    QString title;
    QString enteredFirst;
    whenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<PanelDialog*>(modal);
        ASSERT_TRUE(dialog);
        title = dialog->windowTitle();
        // Opening a plain folder enters it...
        dialog->selectFile(folder);
        dialog->accept();
        enteredFirst = dialog->directory().absolutePath();
        // ...opening the bundle chooses it.
        dialog->selectFile(bundle);
        dialog->accept();
    });
    ASSERT_EQ(panel.runModal(), NSModalResponseOK);
    EXPECT_EQ(title, QStringLiteral("Choose Application"));
    EXPECT_EQ(enteredFirst, folder);
    EXPECT_EQ(panel.URLs(), QList<QUrl>{QUrl::fromLocalFile(bundle)});

    // Activating (double-clicking) the bundle in the dialog's view chooses it as well.
    panel.setDirectoryURL(QUrl::fromLocalFile(folder));
    bool doubleClicked = false;
    whenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<PanelDialog*>(modal);
        // The view the dialog shows: its list or its detail view.
        QAbstractItemView* list = nullptr;
        for (auto* view :
             dialog ? dialog->findChildren<QAbstractItemView*>() : QList<QAbstractItemView*>()) {
            if (view->isVisible() && (view->objectName() == QLatin1String("listView") ||
                                      view->objectName() == QLatin1String("treeView")))
                list = view;
        }
        auto* files = dialog ? dialog->findChild<QFileSystemModel*>() : nullptr;
        if (!list || !files) {
            dialog->reject();
            return;
        }
        QModelIndex index;
        waitUntil([&] {
            index = files->index(bundle);
            return index.isValid() && list->visualRect(index).isValid();
        });
        // What a double click on the row does in the dialog's view.
        Q_EMIT list->activated(index);
        doubleClicked = true;
        if (dialog->isVisible())
            dialog->reject();  // the bundle was entered, not chosen
    });
    ASSERT_EQ(panel.runModal(), NSModalResponseOK);
    EXPECT_TRUE(doubleClicked);
    EXPECT_EQ(panel.URL(), QUrl::fromLocalFile(bundle));

    // Cancelling leaves no choice behind.
    whenModalShows([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    EXPECT_EQ(panel.runModal(), NSModalResponseCancel);
    EXPECT_TRUE(panel.URLs().isEmpty());
}

TEST(PanelDialog, NameFiltersComeFromTypeIdentifiers)
{
    EXPECT_EQ(PanelDialog::nameFiltersFor({uti::kPropertyList}),
              QStringList{QStringLiteral("Property List (*.plist)")});
    const QStringList images = PanelDialog::nameFiltersFor({uti::kImage});
    ASSERT_EQ(images.size(), 1);
    EXPECT_TRUE(images.first().contains(QStringLiteral("*.png")));
    EXPECT_TRUE(images.first().contains(QStringLiteral("*.jpg")));
    EXPECT_FALSE(images.first().contains(QStringLiteral("*.plist")));
    EXPECT_EQ(PanelDialog::nameFiltersFor({}), QStringList{QStringLiteral("All files (*)")});
    const QStringList two = PanelDialog::nameFiltersFor({uti::kPNG, uti::kPropertyList});
    ASSERT_EQ(two.size(), 3);
    EXPECT_EQ(two.first(), QStringLiteral("All allowed (*.png *.plist)"));
}
