// The services' clipboard writer on the desktop clipboard, and the image
// types Qt offers as type identifiers.
#include "../QtPrinters.h"
#include "WidgetTestSupport.h"
#include "platform/ui/Services.h"
#include "platform/ui/TypeIdentifiers.h"
#include "platform/ui/widgets/ImageTypes.h"
#include "platform/ui/widgets/ServicesClipboard.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QMimeData>

using namespace corvane::ui;
using namespace corvane::ui::testing;

namespace {

class Selection : public Responder {
public:
    QList<QUrl> urls;
    Responder* validRequestorForSendTypeReturnType(const QString& send, const QString& ret) override
    {
        return (send == kUTTypeFileURL || send == kUTTypeUTF8PlainText) && ret.isEmpty() &&
                       !urls.isEmpty()
                   ? this
                   : nullptr;
    }
    bool writeSelectionToPasteboardTypes(Pasteboard& pasteboard, const QStringList& types) override
    {
        if (types.first() == kUTTypeFileURL)
            return pasteboard.writeURLs(urls);
        return pasteboard.writeStrings({urls.first().toLocalFile()});
    }
};

}  // namespace

TEST(ServicesClipboard, AServicePutsFileURLsAndTextOnTheDesktopClipboard)
{
    widgetApp();
    Selection selection;
    selection.urls = {QUrl::fromLocalFile(QStringLiteral("/Applications/Chess.app")),
                      QUrl::fromLocalFile(QStringLiteral("/Applications/Caf\u00e9 Bar.app"))};
    ResponderChain chain;
    chain.setFirstResponder(&selection);
    Services services(&chain);
    services.registerServicesMenuSendTypesReturnTypes({kUTTypeFileURL, kUTTypeUTF8PlainText}, {});
    installClipboardWriter(services);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("before"));

    ASSERT_TRUE(services.performService(Services::builtInServices().at(0)));
    const QMimeData* data = clipboard->mimeData();
    ASSERT_TRUE(data);
    EXPECT_TRUE(data->hasFormat(QStringLiteral("text/uri-list")));
    EXPECT_EQ(data->urls(), selection.urls);

    ASSERT_TRUE(services.performService(Services::builtInServices().at(1)));
    EXPECT_FALSE(clipboard->mimeData()->hasUrls());
    EXPECT_EQ(clipboard->text(), QStringLiteral("/Applications/Chess.app"));

    // Nothing selected: the clipboard keeps what it has.
    selection.urls.clear();
    EXPECT_FALSE(services.performService(Services::builtInServices().at(0)));
    EXPECT_EQ(clipboard->text(), QStringLiteral("/Applications/Chess.app"));
}

TEST(ImageTypes, QtsImageFormatsComeAsTypeIdentifiersWithPNGFirst)
{
    widgetApp();
    const QStringList writable = writableImageTypeIdentifiers();
    ASSERT_FALSE(writable.isEmpty());
    EXPECT_EQ(writable.first(), uti::kPNG);
    EXPECT_TRUE(writable.contains(uti::kJPEG));
    EXPECT_TRUE(writable.contains(uti::kTIFF))
        << "the TIFF plugin (qt6-image-formats-plugins) is missing";
    EXPECT_EQ(writable.count(uti::kPNG), 1);
    for (const QString& type : writable) {
        EXPECT_TRUE(uti::conformsTo(type, uti::kImage)) << type.toStdString();
        EXPECT_FALSE(uti::preferredFilenameExtension(type).isEmpty()) << type.toStdString();
    }
    const QStringList readable = readableImageTypeIdentifiers();
    EXPECT_TRUE(readable.contains(uti::kPNG));
    EXPECT_TRUE(readable.contains(uti::kGIF));
}
