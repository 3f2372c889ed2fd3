#include "platform/ui/Services.h"

namespace corvane::ui {

namespace {

const Action kPerformService("performService:");

}  // namespace

void Pasteboard::clearContents()
{
    urls_.clear();
    strings_.clear();
    ++changeCount_;
}

bool Pasteboard::writeURLs(const QList<QUrl>& urls)
{
    if (urls.isEmpty())
        return false;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile())
            return false;
    }
    clearContents();
    urls_ = urls;
    return true;
}

bool Pasteboard::writeStrings(const QStringList& strings)
{
    if (strings.isEmpty())
        return false;
    clearContents();
    strings_ = strings;
    return true;
}

std::unique_ptr<QMimeData> Pasteboard::mimeData() const
{
    auto data = std::make_unique<QMimeData>();
    if (!urls_.isEmpty()) {
        data->setUrls(urls_);
        QStringList paths;
        for (const QUrl& url : urls_)
            paths.append(url.toLocalFile());
        data->setText(paths.join(QLatin1Char('\n')));
    } else if (!strings_.isEmpty()) {
        data->setText(strings_.join(QLatin1Char('\n')));
    }
    return data;
}

Services::Services(const ResponderChain* chain) : chain_(chain)
{
    addAction(kPerformService, [this](QObject* sender) {
        if (const auto* item = qobject_cast<MenuItem*>(sender)) {
            if (const Service* service = serviceForItem(*item))
                performService(*service);
        }
    });
}

Services::~Services() = default;

const QList<Service>& Services::builtInServices()
{
    static const QList<Service> services = {
        {QStringLiteral("Copy File Locations"), {kUTTypeFileURL, NSFilenamesPboardType}},
        {QStringLiteral("Copy Text"), {kUTTypeUTF8PlainText, NSStringPboardType}},
    };
    return services;
}

void Services::registerServicesMenuSendTypesReturnTypes(const QStringList& sendTypes,
                                                        const QStringList& returnTypes)
{
    sendTypes_ = sendTypes;
    returnTypes_ = returnTypes;
}

void Services::setServicesMenu(Menu* menu)
{
    if (menu_ && menu_ != menu && menu_->delegate() == this)
        menu_->setDelegate(nullptr);
    menu_ = menu;
    if (menu)
        menu->setDelegate(this);
}

QList<Service> Services::availableServices() const
{
    QList<Service> available;
    for (const Service& service : builtInServices()) {
        for (const QString& type : service.sendTypes) {
            if (sendTypes_.contains(type)) {
                available.append(service);
                break;
            }
        }
    }
    return available;
}

Responder* Services::requestorFor(const Service& service) const
{
    if (!chain_)
        return nullptr;
    for (const QString& type : service.sendTypes) {
        if (!sendTypes_.contains(type))
            continue;
        if (Responder* requestor = chain_->validRequestor(type, QString()))
            return requestor;
    }
    return nullptr;
}

bool Services::performService(const Service& service)
{
    Responder* requestor = requestorFor(service);
    if (!requestor)
        return false;
    Pasteboard pasteboard;
    if (!requestor->writeSelectionToPasteboardTypes(pasteboard, service.sendTypes) ||
        pasteboard.isEmpty())
        return false;
    if (writer_)
        writer_(pasteboard);
    return true;
}

void Services::menuNeedsUpdate(Menu& menu)
{
    menu.removeAllItems();
    for (const Service& service : availableServices()) {
        MenuItem* item = menu.addItemWithTitle(service.title, kPerformService);
        item->setTarget(this);
    }
}

bool Services::validateMenuItem(MenuItem& item)
{
    const Service* service = serviceForItem(item);
    return service && requestorFor(*service) != nullptr;
}

const Service* Services::serviceForItem(const MenuItem& item) const
{
    for (const Service& service : builtInServices()) {
        if (service.title == item.title())
            return &service;
    }
    return nullptr;
}

}  // namespace corvane::ui
