// The services stand-in: which services the menu lists, when they are
// enabled, and what reaches the clipboard.
#include "MenuTestSupport.h"
#include "QtPrinters.h"
#include "platform/ui/Services.h"

#include <gtest/gtest.h>

#include <QMimeData>

using namespace corvane::ui;
using namespace corvane::ui::testing;

namespace {

const QStringList kAllSendTypes{NSFilenamesPboardType, NSStringPboardType, kUTTypeFileURL,
                                kUTTypeUTF8PlainText};

// A list window's controller: it offers its selected bundles, all of them as
// file URLs, the first one only as text.
class ListController : public Responder {
public:
    QList<QUrl> selection;

    Responder* validRequestorForSendTypeReturnType(const QString& send, const QString& ret) override
    {
        if (kAllSendTypes.contains(send) && ret.isEmpty() && !selection.isEmpty())
            return this;
        return Responder::validRequestorForSendTypeReturnType(send, ret);
    }
    bool writeSelectionToPasteboardTypes(Pasteboard& pasteboard, const QStringList& types) override
    {
        for (const QString& type : types) {
            if (type == NSFilenamesPboardType || type == kUTTypeFileURL)
                return pasteboard.writeURLs(selection);
            if (type == NSStringPboardType || type == kUTTypeUTF8PlainText)
                return pasteboard.writeStrings({selection.first().toLocalFile()});
        }
        return false;
    }
};

struct Clipboard {
    QList<QUrl> uriList;
    QString text;
    int writes = 0;
    void take(const Pasteboard& p)
    {
        const auto data = p.mimeData();
        uriList.clear();
        uriList = data->urls();
        text = data->text();
        ++writes;
    }
};

}  // namespace

TEST(Services, TheMenuListsTheServicesForTheRegisteredTypesEnabledWhileThereIsASelection)
{
    ListController controller;
    ResponderChain chain;
    chain.setFirstResponder(&controller);
    Services services(&chain);
    services.registerServicesMenuSendTypesReturnTypes(kAllSendTypes, {});
    Menu servicesMenu(QStringLiteral("Services"));
    services.setServicesMenu(&servicesMenu);

    MenuTracker tracker(&chain);
    EXPECT_EQ(
        describe(tracker.open(servicesMenu)),
        (QStringList{QStringLiteral("[Copy File Locations]"), QStringLiteral("[Copy Text]")}));
    controller.selection = {QUrl::fromLocalFile(QStringLiteral("/Applications/Mail.app"))};
    EXPECT_EQ(describe(tracker.open(servicesMenu)),
              (QStringList{QStringLiteral("Copy File Locations"), QStringLiteral("Copy Text")}));

    // Only file types registered: only the file service is offered.
    services.registerServicesMenuSendTypesReturnTypes({NSFilenamesPboardType}, {});
    EXPECT_EQ(describe(tracker.open(servicesMenu)),
              QStringList{QStringLiteral("Copy File Locations")});
}

TEST(Services, FilesGoToTheClipboardAsURIListsAndTextAsTheFirstPathOnly)
{
    ListController controller;
    controller.selection = {
        QUrl::fromLocalFile(QStringLiteral("/Applications/My Apps/Mail.app")),
        QUrl::fromLocalFile(QStringLiteral("/Applications/Caf\u00e9 \"2\".app"))};
    ResponderChain chain;
    chain.setFirstResponder(&controller);
    Services services(&chain);
    services.registerServicesMenuSendTypesReturnTypes(kAllSendTypes, {});
    Clipboard clipboard;
    services.setClipboardWriter([&clipboard](const Pasteboard& p) { clipboard.take(p); });
    Menu servicesMenu(QStringLiteral("Services"));
    services.setServicesMenu(&servicesMenu);
    MenuTracker tracker(&chain);
    tracker.open(servicesMenu);

    ASSERT_TRUE(tracker.choose(*servicesMenu.itemWithTitle(QStringLiteral("Copy File Locations"))));
    EXPECT_EQ(clipboard.uriList, controller.selection);
    EXPECT_EQ(clipboard.uriList.value(1).toLocalFile(),
              QStringLiteral("/Applications/Caf\u00e9 \"2\".app"));
    EXPECT_EQ(clipboard.text,
              QStringLiteral("/Applications/My Apps/Mail.app\n/Applications/Caf\u00e9 \"2\".app"));

    ASSERT_TRUE(tracker.choose(*servicesMenu.itemWithTitle(QStringLiteral("Copy Text"))));
    EXPECT_TRUE(clipboard.uriList.isEmpty());
    EXPECT_EQ(clipboard.text, QStringLiteral("/Applications/My Apps/Mail.app"));

    // A requestor asked for data back is not a valid requestor.
    EXPECT_EQ(chain.validRequestor(kUTTypeFileURL, QStringLiteral("public.rtf")), nullptr);
    // Without a selection nothing is written and the clipboard keeps what it had.
    controller.selection.clear();
    EXPECT_FALSE(services.performService(Services::builtInServices().first()));
    EXPECT_EQ(clipboard.writes, 2);
}

TEST(Services, TheApplicationDelegateAnswersWhenTheWindowControllerCannot)
{
    // A monitor that offers the watched process's path wherever the key window is.
    struct Monitor : Responder {
        Responder* validRequestorForSendTypeReturnType(const QString& send,
                                                       const QString& ret) override
        {
            return kAllSendTypes.contains(send) && ret.isEmpty() ? this : nullptr;
        }
        bool writeSelectionToPasteboardTypes(Pasteboard& p, const QStringList&) override
        {
            return p.writeStrings({QStringLiteral("/usr/bin/top")});
        }
    } monitor;
    RecordingResponder window(QStringLiteral("window"));
    ResponderChain chain;
    chain.setFirstResponder(&window);
    chain.setApplicationDelegate(&monitor);
    Services services(&chain);
    services.registerServicesMenuSendTypesReturnTypes(kAllSendTypes, {});
    EXPECT_EQ(services.requestorFor(Services::builtInServices().at(1)), &monitor);
    Clipboard clipboard;
    services.setClipboardWriter([&clipboard](const Pasteboard& p) { clipboard.take(p); });
    EXPECT_TRUE(services.performService(Services::builtInServices().at(1)));
    EXPECT_EQ(clipboard.text, QStringLiteral("/usr/bin/top"));
}

TEST(Pasteboard, RefusesEmptyWritesAndURLsThatAreNotFiles)
{
    Pasteboard p;
    EXPECT_FALSE(p.writeURLs({}));
    EXPECT_FALSE(p.writeStrings({}));
    EXPECT_FALSE(p.writeURLs({QUrl(QStringLiteral("https://example.com/x"))}));
    EXPECT_TRUE(p.isEmpty());
    EXPECT_TRUE(p.writeStrings({QStringLiteral("a")}));
    const int count = p.changeCount();
    EXPECT_TRUE(p.writeURLs({QUrl::fromLocalFile(QStringLiteral("/tmp"))}));
    EXPECT_GT(p.changeCount(), count);
    EXPECT_TRUE(p.strings().isEmpty());  // the last write replaces the first
}
