// Alerts, error presentation and panels through a replaceable presenter, and
// the type identifiers panels filter by.
#include "QtPrinters.h"
#include "platform/foundation/StatusCodes.h"
#include "platform/ui/Panels.h"
#include "platform/ui/RecordingPresenter.h"
#include "platform/ui/TypeIdentifiers.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <thread>

using namespace corvane;
using namespace corvane::ui;

namespace {

QCoreApplication& coreApp()
{
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = QCoreApplication::instance() ? QCoreApplication::instance()
                                                                : new QCoreApplication(argc, argv);
    return *app;
}

Alert stopAlert(const QString& name)
{
    Alert alert;
    alert.messageText = QStringLiteral("Stop \u201c%1\u201d?").arg(name);
    alert.informativeText =
        QStringLiteral(
            "\u201c%1\u201d is already running. Click Stop to quit and launch a new instance.")
            .arg(name);
    alert.addButtonWithTitle(QStringLiteral("Stop"));
    alert.addButtonWithTitle(QStringLiteral("Cancel"));
    return alert;
}

void touch(const QString& path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
}

}  // namespace

TEST(Alerts, ButtonsGetThePlatformsKeyEquivalentsAndAnAlertWithoutButtonsHasOK)
{
    const Alert alert = stopAlert(QStringLiteral("Mail"));
    ASSERT_EQ(alert.buttons.size(), 2);
    EXPECT_EQ(alert.buttons.at(0).keyEquivalent, kReturnKeyEquivalent);
    EXPECT_EQ(alert.buttons.at(1).keyEquivalent, kEscapeKeyEquivalent);

    Alert move;
    move.addButtonWithTitle(QStringLiteral("Move to Applications Folder"));
    move.addButtonWithTitle(QStringLiteral("Do Not Move")).keyEquivalent = QString(QChar(27));
    move.addButtonWithTitle(QStringLiteral("Later"));
    EXPECT_EQ(move.buttons.at(1).keyEquivalent, kEscapeKeyEquivalent);
    EXPECT_TRUE(move.buttons.at(2).keyEquivalent.isEmpty());

    Alert failure;
    failure.messageText = QStringLiteral("Could not move to Applications folder");
    ASSERT_EQ(failure.effectiveButtons().size(), 1);
    EXPECT_EQ(failure.effectiveButtons().first().title, QStringLiteral("OK"));
}

TEST(Alerts, ThePresenterSeesEachAlertAndAnswersInTurn)
{
    RecordingPresenter presenter;
    ScopedPresenter scope(&presenter);
    presenter.answerAlert(NSAlertSecondButtonReturn);
    presenter.answerAlert(NSAlertThirdButtonReturn);  // there is no third button
    Alert suppressible = stopAlert(QStringLiteral("Chess"));
    suppressible.showsSuppressionButton = true;
    presenter.answerAlert(NSAlertSecondButtonReturn, true);

    EXPECT_EQ(runAlert(stopAlert(QStringLiteral("Mail"))).button, NSAlertSecondButtonReturn);
    EXPECT_EQ(runAlert(stopAlert(QStringLiteral("Mail"))).button, NSAlertFirstButtonReturn);
    const AlertResponse r = runAlert(suppressible);
    EXPECT_EQ(r.button, NSAlertSecondButtonReturn);
    EXPECT_TRUE(r.suppressionButtonOn);
    // No answers left: the default button.
    EXPECT_EQ(runAlert(stopAlert(QStringLiteral("Books"))).button, NSAlertFirstButtonReturn);
    ASSERT_EQ(presenter.alerts().size(), 4);
    EXPECT_EQ(presenter.alerts().at(3).messageText, QStringLiteral("Stop \u201cBooks\u201d?"));
}

TEST(ErrorPresentation, AStatusShowsItsCodeAndItsCommentAsRecoverySuggestion)
{
    RecordingPresenter presenter;
    ScopedPresenter scope(&presenter);

    const Error error = errorWithOSStatus(status::kLSIncompatibleSystemVersionErr);
    EXPECT_EQ(error.domain, QStringLiteral("NSOSStatusErrorDomain"));
    EXPECT_EQ(error.code, -10825);
    EXPECT_EQ(error.localizedRecoverySuggestion, statusComment(-10825));
    EXPECT_FALSE(error.localizedRecoverySuggestion.isEmpty());

    presentStatus(status::fnfErr);
    presentStatus(status::noErr);  // success shows nothing
    presentStatus(-12345678);      // no comment known: the code alone
    ASSERT_EQ(presenter.alerts().size(), 2);
    const Alert& shown = presenter.alerts().at(0);
    EXPECT_TRUE(shown.messageText.contains(QStringLiteral("(OSStatus error -43.)")));
    EXPECT_EQ(shown.informativeText, statusComment(status::fnfErr));
    EXPECT_EQ(shown.effectiveButtons().size(), 1);
    EXPECT_TRUE(presenter.alerts().at(1).messageText.contains(QStringLiteral("-12345678")));
    EXPECT_TRUE(presenter.alerts().at(1).informativeText.isEmpty());
}

TEST(ErrorPresentation, AnAlertRaisedOnAWorkerIsShownOnTheMainThread)
{
    QCoreApplication& app = coreApp();
    RecordingPresenter presenter;
    ScopedPresenter scope(&presenter);
    std::atomic<QThread*> shownOn{nullptr};
    presenter.answerAlertWith([&shownOn](const Alert&) {
        shownOn = QThread::currentThread();
        return AlertResponse{NSAlertFirstButtonReturn, false};
    });

    Alert incompatible;
    incompatible.messageText =
        QStringLiteral("This version of OS X is not compatible with Corvane");
    incompatible.addButtonWithTitle(QStringLiteral("Yes"));
    std::atomic<int> answer{0};
    QEventLoop loop;
    std::thread worker([&] {
        answer = runAlert(incompatible).button;
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);  // never hang the run
    loop.exec();
    worker.join();
    EXPECT_EQ(answer.load(), NSAlertFirstButtonReturn);
    EXPECT_EQ(shownOn.load(), app.thread());
    ASSERT_EQ(presenter.alerts().size(), 1);
}

TEST(SavePanels, TheAllowedTypeDecidesTheExtensionTheNameGets)
{
    SavePanel panel;
    panel.setAllowedFileTypes({uti::kPropertyList});
    EXPECT_EQ(panel.pathWithRequiredExtension(QStringLiteral("/tmp/My Settings")),
              QStringLiteral("/tmp/My Settings.plist"));
    EXPECT_EQ(panel.pathWithRequiredExtension(QStringLiteral("/tmp/a.PLIST")),
              QStringLiteral("/tmp/a.PLIST"));
    EXPECT_EQ(panel.pathWithRequiredExtension(QStringLiteral("/tmp/v1.2")),
              QStringLiteral("/tmp/v1.2.plist"));

    // A format menu switches the type while the panel runs.
    QStringList heard;
    QObject::connect(&panel, &SavePanel::allowedFileTypesChanged,
                     [&heard](const QStringList& t) { heard << t; });
    panel.setAllowedFileTypes({uti::kJPEG});
    panel.setAllowedFileTypes({uti::kJPEG});  // unchanged: silent
    EXPECT_EQ(heard, QStringList{uti::kJPEG});
    EXPECT_EQ(panel.pathWithRequiredExtension(QStringLiteral("/tmp/Shot.jpg")),
              QStringLiteral("/tmp/Shot.jpg"));
    EXPECT_EQ(panel.pathWithRequiredExtension(QStringLiteral("/tmp/Shot")),
              QStringLiteral("/tmp/Shot.jpeg"));

    // Without a presenter nobody can confirm: the panel is cancelled.
    ScopedPresenter none(nullptr);
    EXPECT_EQ(panel.runModal(), NSModalResponseCancel);
    EXPECT_TRUE(panel.URL().isEmpty());
}

TEST(SavePanels, ThePresenterSeesTheSettingsAndTheChoiceComesBackAsAURL)
{
    RecordingPresenter presenter;
    ScopedPresenter scope(&presenter);
    SavePanel panel;
    QObject accessory;
    panel.setAllowedFileTypes({uti::kTIFF});
    panel.setNameFieldStringValue(QStringLiteral("Mail"));
    panel.setCanSelectHiddenExtension(true);
    panel.setAccessoryView(&accessory);
    presenter.answerPanelWithPaths({QStringLiteral("/tmp/shots/Mail")});
    presenter.cancelNextPanel();

    ASSERT_EQ(panel.runModal(), NSModalResponseOK);
    EXPECT_EQ(panel.URL(), QUrl::fromLocalFile(QStringLiteral("/tmp/shots/Mail.tiff")));
    EXPECT_EQ(panel.nameFieldStringValue(), QStringLiteral("Mail.tiff"));
    ASSERT_EQ(presenter.panels().size(), 1);
    EXPECT_FALSE(presenter.panels().at(0).openPanel);
    EXPECT_EQ(presenter.panels().at(0).nameField, QStringLiteral("Mail"));
    EXPECT_TRUE(presenter.panels().at(0).hasAccessoryView);

    EXPECT_EQ(panel.runModal(), NSModalResponseCancel);
    EXPECT_TRUE(panel.URL().isEmpty());
}

TEST(OpenPanels, ApplicationBundlesAreFoldersEndingInAppChosenAsOneItem)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = dir.path();
    ASSERT_TRUE(QDir(root).mkpath(QStringLiteral("Mail.app/Contents/MacOS")));
    ASSERT_TRUE(QDir(root).mkpath(QStringLiteral("CAPS.APP")));
    ASSERT_TRUE(QDir(root).mkpath(QStringLiteral("My Folder \u00e9")));
    touch(root + QStringLiteral("/Fake.app"));  // a file, not a bundle
    touch(root + QStringLiteral("/settings.plist"));
    touch(root + QStringLiteral("/shot.PNG"));

    OpenPanel apps;
    apps.setAllowedFileTypes({uti::kApplicationBundle});
    EXPECT_TRUE(apps.isSelectable(root + QStringLiteral("/Mail.app")));
    EXPECT_TRUE(apps.isSelectable(root + QStringLiteral("/CAPS.APP")));
    EXPECT_FALSE(apps.isSelectable(root + QStringLiteral("/Fake.app")));
    EXPECT_FALSE(apps.isSelectable(root + QStringLiteral("/My Folder \u00e9")));
    EXPECT_FALSE(apps.isSelectable(root + QStringLiteral("/settings.plist")));
    EXPECT_FALSE(apps.isSelectable(root + QStringLiteral("/Gone.app")));
    EXPECT_FALSE(apps.entersFolder(root + QStringLiteral("/Mail.app")));
    EXPECT_TRUE(apps.entersFolder(root + QStringLiteral("/My Folder \u00e9")));
    apps.setTreatsFilePackagesAsDirectories(true);
    EXPECT_TRUE(apps.entersFolder(root + QStringLiteral("/Mail.app")));

    OpenPanel plists;
    plists.setAllowedFileTypes({uti::kPropertyList});
    EXPECT_TRUE(plists.isSelectable(root + QStringLiteral("/settings.plist")));
    EXPECT_FALSE(plists.isSelectable(root + QStringLiteral("/shot.PNG")));

    OpenPanel images;
    images.setAllowedFileTypes({uti::kImage});
    EXPECT_TRUE(images.isSelectable(root + QStringLiteral("/shot.PNG")));
    EXPECT_FALSE(images.isSelectable(root + QStringLiteral("/settings.plist")));

    // A folder chooser takes plain folders, and packages only as files.
    OpenPanel folders;
    folders.setCanChooseFiles(false);
    folders.setCanChooseDirectories(true);
    EXPECT_TRUE(folders.isSelectable(root + QStringLiteral("/My Folder \u00e9")));
    EXPECT_FALSE(folders.isSelectable(root + QStringLiteral("/Mail.app")));
    EXPECT_FALSE(folders.isSelectable(root + QStringLiteral("/settings.plist")));
}

TEST(OpenPanels, ConfirmKeepsOnlySelectablePathsAndOneWithoutMultipleSelection)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString a = dir.path() + QStringLiteral("/a \"quoted\" name.plist");
    const QString b = dir.path() + QStringLiteral("/b.plist");
    touch(a);
    touch(b);
    RecordingPresenter presenter;
    ScopedPresenter scope(&presenter);

    OpenPanel panel;
    panel.setAllowedFileTypes({uti::kPropertyList});
    presenter.answerPanelWithPaths({dir.path() + QStringLiteral("/missing.plist"), a, b});
    ASSERT_EQ(panel.runModal(), NSModalResponseOK);
    EXPECT_EQ(panel.URLs(), QList<QUrl>{QUrl::fromLocalFile(a)});

    panel.setAllowsMultipleSelection(true);
    presenter.answerPanelWithPaths({a, b});
    ASSERT_EQ(panel.runModal(), NSModalResponseOK);
    EXPECT_EQ(panel.URLs().size(), 2);

    // Nothing acceptable: the presenter's confirmation fails, the panel cancels.
    presenter.answerPanelWithPaths({dir.path()});
    EXPECT_EQ(panel.runModal(), NSModalResponseCancel);
    EXPECT_TRUE(panel.URLs().isEmpty());
    ASSERT_EQ(presenter.panels().size(), 3);
    EXPECT_TRUE(presenter.panels().at(0).openPanel);
    EXPECT_TRUE(presenter.panels().at(2).allowsMultipleSelection);
}

TEST(TypeIdentifiers, TypesConformAlongTheirParentsAndMapToExtensionsAndMIMETypes)
{
    EXPECT_TRUE(uti::conformsTo(uti::kApplicationBundle, uti::kPackage));
    EXPECT_TRUE(uti::conformsTo(uti::kApplicationBundle, uti::kDirectory));
    EXPECT_TRUE(uti::conformsTo(uti::kBinaryPropertyList, uti::kPropertyList));
    EXPECT_TRUE(uti::conformsTo(uti::kPNG, uti::kImage));
    EXPECT_FALSE(uti::conformsTo(uti::kPropertyList, uti::kImage));
    EXPECT_FALSE(uti::conformsTo(uti::kFolder, uti::kPackage));
    EXPECT_TRUE(uti::conformsTo(QStringLiteral("com.example.unknown"), uti::kItem));
    EXPECT_FALSE(uti::conformsTo(QStringLiteral("com.example.unknown"), uti::kData));

    EXPECT_EQ(uti::typeOfItem(QStringLiteral("/x/Foo.App"), true), uti::kApplicationBundle);
    EXPECT_EQ(uti::typeOfItem(QStringLiteral("/x/Foo.app"), false), uti::kData);
    EXPECT_EQ(uti::typeOfItem(QStringLiteral("/x/conf.d"), true), uti::kFolder);
    EXPECT_EQ(uti::typeOfItem(QStringLiteral("/x.app/photo.JPG"), false), uti::kJPEG);
    EXPECT_EQ(uti::typeOfItem(QStringLiteral(".plist"), false),
              uti::kData);  // a hidden name, no extension
    EXPECT_TRUE(uti::isPackageName(QStringLiteral("Foo.bundle")));
    EXPECT_FALSE(uti::isPackageName(QStringLiteral("Foo.d")));

    EXPECT_EQ(uti::preferredFilenameExtension(uti::kTIFF), QStringLiteral("tiff"));
    EXPECT_EQ(uti::typeForMimeType(QStringLiteral("image/PNG")), uti::kPNG);
    EXPECT_EQ(uti::mimeType(uti::kFileURL), QStringLiteral("text/uri-list"));
    EXPECT_TRUE(uti::knownTypesConformingTo(uti::kImage).contains(uti::kWebP));
    EXPECT_FALSE(uti::knownTypesConformingTo(uti::kImage).contains(uti::kPropertyList));
}
