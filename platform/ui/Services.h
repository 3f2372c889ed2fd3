// The Services stand-in: services that take the selection of the program in
// front and put it on the clipboard.
//
// A program registers the types it can send. The services menu (a Menu the
// program names) then lists each service whose send types meet the
// registered ones; an item is enabled while some responder along the chain
// is a valid requestor for one of its types with no return type. Choosing
// it asks that requestor to write its selection to a Pasteboard in the
// service's types, and a successful write goes to the clipboard writer (the
// widgets half installs one that fills the desktop's clipboard: file URLs
// as text/uri-list, text as text/plain).
#pragma once

#include "platform/ui/Menu.h"
#include "platform/ui/Responder.h"

#include <QList>
#include <QMimeData>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>

namespace corvane::ui {

// Pasteboard types.
inline const QString NSFilenamesPboardType = QStringLiteral("NSFilenamesPboardType");
inline const QString NSStringPboardType = QStringLiteral("NSStringPboardType");
inline const QString kUTTypeFileURL = QStringLiteral("public.file-url");
inline const QString kUTTypeUTF8PlainText = QStringLiteral("public.utf8-plain-text");

// What a requestor writes: file URLs or strings (the last write counts).
class Pasteboard {
public:
    void clearContents();
    // False (and nothing kept) for an empty list or a URL that is not a
    // local file.
    bool writeURLs(const QList<QUrl>& urls);
    // False for an empty list.
    bool writeStrings(const QStringList& strings);

    const QList<QUrl>& URLs() const { return urls_; }
    const QStringList& strings() const { return strings_; }
    bool isEmpty() const { return urls_.isEmpty() && strings_.isEmpty(); }
    int changeCount() const { return changeCount_; }

    // The clipboard form: file URLs as text/uri-list (and their paths as
    // text/plain, one a line), strings as text/plain joined by newlines.
    std::unique_ptr<QMimeData> mimeData() const;

private:
    QList<QUrl> urls_;
    QStringList strings_;
    int changeCount_ = 0;
};

struct Service {
    QString title;
    // The types the service asks for, in its order of preference.
    QStringList sendTypes;
};

class Services : public Responder, public MenuDelegate {
public:
    using ClipboardWriter = std::function<void(const Pasteboard& pasteboard)>;

    // chain: where requestors are looked for; it must outlive this object.
    explicit Services(const ResponderChain* chain);
    ~Services() override;

    // "Copy File Locations" (file URLs) and "Copy Text" (text).
    static const QList<Service>& builtInServices();

    void registerServicesMenuSendTypesReturnTypes(const QStringList& sendTypes,
                                                  const QStringList& returnTypes);
    const QStringList& registeredSendTypes() const { return sendTypes_; }

    // The menu that lists the services; it is filled every time it opens.
    // Not owned: the menu usually lives in a window's menu tree.
    void setServicesMenu(Menu* menu);
    Menu* servicesMenu() const { return menu_.data(); }

    void setClipboardWriter(ClipboardWriter writer) { writer_ = std::move(writer); }

    // The services the registered send types allow, in built-in order.
    QList<Service> availableServices() const;
    // The requestor for service along the chain, or null.
    Responder* requestorFor(const Service& service) const;
    // Runs service: the requestor writes its selection, the clipboard writer
    // gets it. False when there is no requestor or the write failed.
    bool performService(const Service& service);

    void menuNeedsUpdate(Menu& menu) override;
    bool validateMenuItem(MenuItem& item) override;

private:
    const Service* serviceForItem(const MenuItem& item) const;

    const ResponderChain* chain_;
    QStringList sendTypes_;
    QStringList returnTypes_;
    QPointer<Menu> menu_;
    ClipboardWriter writer_;
};

}  // namespace corvane::ui
