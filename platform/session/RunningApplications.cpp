#include "platform/session/RunningApplications.h"

#include "platform/bundles/BundleIcon.h"

#include "platform/bundles/Bundle.h"
#include "platform/windowserver/WindowProperties.h"
#include "platform/windowserver/XEventPump.h"

#include <QFileInfo>

#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <csignal>

namespace corvane::session {

using windowserver::XConnection;

struct RunningApplications::Record {
    SerialNumber serial;
    ProcessFacts facts;
    std::vector<xcb_window_t> windows;  // managed windows, bottom to top
};

namespace {

QString canonicalBundlePath(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QFileInfo(path).absoluteFilePath() : canonical;
}

bool hasAtom(const std::vector<xcb_atom_t>& atoms, xcb_atom_t atom)
{
    return std::find(atoms.begin(), atoms.end(), atom) != atoms.end();
}

// A window that puts its application among the foreground ones: an
// ordinary or dialog window that is not kept off the task bar.
bool isOrdinaryWindow(XConnection& x, xcb_window_t window)
{
    const auto types = windowserver::windowTypes(x, window);
    xcb_ewmh_connection_t* e = x.ewmh();
    const bool ordinary = types.empty() || types.front() == e->_NET_WM_WINDOW_TYPE_NORMAL ||
                          types.front() == e->_NET_WM_WINDOW_TYPE_DIALOG;
    return ordinary &&
           !hasAtom(windowserver::windowStates(x, window), e->_NET_WM_STATE_SKIP_TASKBAR);
}

std::optional<bool> bundleFlag(const QString& bundlePath, const char* key)
{
    const auto bundle = Bundle::open(bundlePath);
    const plist::Value* value = bundle ? bundle->infoValue(QString::fromLatin1(key)) : nullptr;
    if (!value || !value->answersBoolValue())
        return std::nullopt;
    return value->boolValue();
}

}  // namespace

QUrl RunningApplication::bundleUrl() const
{
    if (facts.bundlePath.isEmpty())
        return {};
    QUrl url = QUrl::fromLocalFile(facts.bundlePath);
    if (!url.path().endsWith(QLatin1Char('/')))
        url.setPath(url.path() + QLatin1Char('/'));
    return url;
}

RunningApplications::RunningApplications(QObject* parent)
    : RunningApplications(XConnection::open(), parent)
{
}

RunningApplications::RunningApplications(std::unique_ptr<XConnection> connection, QObject* parent)
    : QObject(parent), x_(std::move(connection))
{
    qRegisterMetaType<corvane::session::RunningApplication>();
    qRegisterMetaType<corvane::SerialNumber>();
    if (x_) {
        // PropertyChange: the client list and the active window. The two
        // structure masks: pings are answered to the root with them.
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE |
                                   XCB_EVENT_MASK_STRUCTURE_NOTIFY |
                                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(x_->xcb(), x_->root(), XCB_CW_EVENT_MASK, &mask);
        x_->flush();
        pump_ = std::make_unique<windowserver::XEventPump>(
            *x_, [this](const xcb_generic_event_t& e) { handleEvent(e); });
    }
    refresh(false);
    lastFront_ = frontApplication();
}

RunningApplications::~RunningApplications() = default;

bool RunningApplications::hasDisplay() const
{
    return x_ && !x_->hasError();
}

void RunningApplications::handleEvent(const xcb_generic_event_t& event)
{
    if ((event.response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
        return;
    const auto& property = reinterpret_cast<const xcb_property_notify_event_t&>(event);
    if (property.window != x_->root())
        return;
    xcb_ewmh_connection_t* e = x_->ewmh();
    if (property.atom == e->_NET_CLIENT_LIST || property.atom == e->_NET_CLIENT_LIST_STACKING) {
        refresh(true);
    } else if (property.atom == e->_NET_ACTIVE_WINDOW) {
        const SerialNumber front = frontApplication();
        if (front != lastFront_) {
            lastFront_ = front;
            QMetaObject::invokeMethod(
                this, [this, front] { Q_EMIT frontApplicationChanged(front); },
                Qt::QueuedConnection);
        }
    }
}

SerialNumber RunningApplications::ownerOfWindow(xcb_window_t window)
{
    if (window == XCB_WINDOW_NONE || !hasDisplay())
        return {};
    // A cached owner counts only while it runs: the server hands the ids of
    // a client that disconnected to the next client.
    if (auto it = windowOwners_.constFind(window); it != windowOwners_.cend() && it->isRunning())
        return *it;
    const pid_t pid = windowserver::windowProcess(*x_, window);
    return pid > 0 ? SerialNumber::forProcess(pid) : SerialNumber{};
}

void RunningApplications::refresh(bool announceNew)
{
    QHash<xcb_window_t, SerialNumber> owners;
    QHash<SerialNumber, std::vector<xcb_window_t>> windows;
    if (hasDisplay()) {
        for (xcb_window_t w : windowserver::managedClients(*x_)) {
            const SerialNumber owner = ownerOfWindow(w);
            owners.insert(w, owner);
            if (owner.isValid())
                windows[owner].push_back(w);
        }
    }
    windowOwners_ = owners;
    for (auto it = noted_.begin(); it != noted_.end();)
        it = it.key().isRunning() ? std::next(it) : noted_.erase(it);

    QList<SerialNumber> seen = windows.keys();
    for (const SerialNumber& s : noted_.keys())
        if (!windows.contains(s))
            seen.append(s);
    QHash<SerialNumber, std::shared_ptr<Record>> next;
    for (const SerialNumber& serial : seen) {
        std::shared_ptr<Record> record = records_.value(serial);
        if (!record) {
            auto facts = readProcessFacts(serial.pid(), noted_.value(serial));
            if (!facts || !serial.isRunning())
                continue;  // gone while we looked
            record = std::make_shared<Record>(Record{serial, *facts, {}});
        }
        record->windows = windows.value(serial);
        next.insert(serial, record);
    }
    records_ = next;
    order_.removeIf([&](const SerialNumber& s) { return !records_.contains(s); });
    for (const SerialNumber& serial : seen) {
        if (!records_.contains(serial) || order_.contains(serial))
            continue;
        order_.append(serial);
        if (!announceNew)
            announced_.insert(serial, true);
        else if (!announced_.contains(serial))
            announce(serial);
    }
    for (auto it = announced_.begin(); it != announced_.end();)
        it = records_.contains(it.key()) ? std::next(it) : announced_.erase(it);
}

void RunningApplications::announce(const SerialNumber& serial)
{
    announced_.insert(serial, true);
    const RunningApplication app = describe(*records_.value(serial));
    const QImage icon = applicationIcon(serial, 128);
    QMetaObject::invokeMethod(
        this, [this, app, icon] { Q_EMIT applicationLaunched(app, icon); }, Qt::QueuedConnection);
}

void RunningApplications::noteLaunched(const SerialNumber& serial, const QString& bundlePath)
{
    if (!serial.isRunning())
        return;
    noted_.insert(serial, bundlePath);
    if (auto record = records_.value(serial); record && !bundlePath.isEmpty())
        record->facts = readProcessFacts(serial.pid(), bundlePath).value_or(record->facts);
    refresh(true);
}

const RunningApplications::Record* RunningApplications::find(const SerialNumber& serial)
{
    refresh(true);
    auto record = records_.value(serial);
    return record ? record.get() : nullptr;
}

ApplicationType RunningApplications::typeOf(const Record& record)
{
    if (!record.facts.bundlePath.isEmpty()) {
        if (bundleFlag(record.facts.bundlePath, "LSBackgroundOnly").value_or(false))
            return ApplicationType::BackgroundOnly;
        if (bundleFlag(record.facts.bundlePath, "LSUIElement").value_or(false))
            return ApplicationType::UIElement;
    }
    if (record.windows.empty())
        return record.facts.bundlePath.isEmpty() ? ApplicationType::BackgroundOnly
                                                 : ApplicationType::Foreground;
    const bool ordinary = std::any_of(record.windows.begin(), record.windows.end(),
                                      [&](xcb_window_t w) { return isOrdinaryWindow(*x_, w); });
    return ordinary ? ApplicationType::Foreground : ApplicationType::UIElement;
}

RunningApplication RunningApplications::describe(const Record& record)
{
    RunningApplication app;
    app.serialNumber = record.serial;
    app.facts = record.facts;
    app.type = typeOf(record);
    app.hidden = hasDisplay() && !record.windows.empty() &&
                 std::all_of(record.windows.begin(), record.windows.end(),
                             [&](xcb_window_t w) { return windowserver::windowIsHidden(*x_, w); });
    app.launchedHere = noted_.contains(record.serial);
    return app;
}

QList<RunningApplication> RunningApplications::applications()
{
    refresh(true);
    QList<RunningApplication> list;
    for (const SerialNumber& serial : order_)
        list.append(describe(*records_.value(serial)));
    return list;
}

std::optional<RunningApplication> RunningApplications::application(const SerialNumber& serial)
{
    const Record* record = find(serial);
    return record ? std::optional(describe(*record)) : std::nullopt;
}

SerialNumber RunningApplications::frontApplication()
{
    if (!hasDisplay())
        return {};
    return ownerOfWindow(windowserver::activeWindow(*x_));
}

SerialNumber RunningApplications::currentApplication()
{
    return SerialNumber::forProcess(::getpid());
}

std::optional<ApplicationType> RunningApplications::applicationType(const SerialNumber& serial)
{
    const Record* record = find(serial);
    return record ? std::optional(typeOf(*record)) : std::nullopt;
}

QList<SerialNumber> RunningApplications::findApplications(const ApplicationQuery& query)
{
    const QString wantedBundle =
        query.bundlePath.isEmpty() ? QString() : canonicalBundlePath(query.bundlePath);
    QList<SerialNumber> found;
    for (const RunningApplication& app : applications()) {
        if (query.type && app.type != *query.type)
            continue;
        if (query.hidden && app.hidden != *query.hidden)
            continue;
        if (query.launchedHereOnly && !app.launchedHere)
            continue;
        if (!wantedBundle.isEmpty() && (app.facts.bundlePath.isEmpty() ||
                                        canonicalBundlePath(app.facts.bundlePath) != wantedBundle))
            continue;
        found.append(app.serialNumber);
    }
    return found;
}

int RunningApplications::hiddenApplicationCount()
{
    return int(findApplications({ApplicationType::Foreground, true, {}, false}).size());
}

int RunningApplications::unhiddenApplicationCount()
{
    return int(findApplications({ApplicationType::Foreground, false, {}, false}).size());
}

std::int32_t RunningApplications::presentationOptions()
{
    if (!hasDisplay() || !x_->windowManagerRunning() ||
        !x_->windowManagerSupports(x_->ewmh()->_NET_WM_STATE_HIDDEN))
        return kPresentationHidingDisabled;
    return 0;
}

std::vector<xcb_window_t> RunningApplications::windowsOf(const SerialNumber& serial)
{
    const Record* record = find(serial);
    return record ? record->windows : std::vector<xcb_window_t>{};
}

OSStatus RunningApplications::activate(const SerialNumber& serial)
{
    const Record* record = find(serial);
    if (!record)
        return status::procNotFound;
    if (!hasDisplay())
        return status::noErr;
    // Every window comes forward; the topmost one last, so it ends up active.
    const xcb_window_t current = windowserver::activeWindow(*x_);
    for (xcb_window_t w : record->windows)
        windowserver::sendRootMessage(*x_, w, x_->ewmh()->_NET_ACTIVE_WINDOW, 2, XCB_CURRENT_TIME,
                                      current);
    x_->flush();
    return status::noErr;
}

OSStatus RunningApplications::hide(const SerialNumber& serial)
{
    const Record* record = find(serial);
    if (!record)
        return status::procNotFound;
    if (!hasDisplay())
        return status::noErr;
    constexpr std::uint32_t kIconicState = 3;
    for (xcb_window_t w : record->windows) {
        if (!windowserver::windowIsHidden(*x_, w))
            windowserver::sendRootMessage(*x_, w, x_->atoms().wmChangeState, kIconicState);
    }
    x_->flush();
    return status::noErr;
}

OSStatus RunningApplications::show(const SerialNumber& serial)
{
    const Record* record = find(serial);
    if (!record)
        return status::procNotFound;
    if (!hasDisplay())
        return status::noErr;
    // Mapping an iconic window asks the window manager to restore it (ICCCM).
    for (xcb_window_t w : record->windows) {
        if (windowserver::windowIsHidden(*x_, w))
            xcb_map_window(x_->xcb(), w);
    }
    x_->flush();
    return status::noErr;
}

OSStatus RunningApplications::sendNotification(std::int32_t code, const SerialNumber& serial)
{
    switch (code) {
    case notification::kActivate:
        return activate(serial);
    case notification::kShow:
        return show(serial);
    case notification::kHide:
        return hide(serial);
    default:
        return status::paramErr;
    }
}

OSStatus RunningApplications::killApplication(const SerialNumber& serial, std::int32_t options)
{
    Q_UNUSED(options);
    if (!serial.isRunning())
        return status::procNotFound;
    if (::kill(serial.pid(), SIGKILL) != 0)
        return errno == ESRCH ? status::procNotFound : statusFromErrno(errno);
    return status::noErr;
}

bool RunningApplications::isUnresponsive(const SerialNumber& serial,
                                         std::chrono::milliseconds timeout)
{
    const Record* record = find(serial);
    if (!record || !hasDisplay())
        return false;
    const xcb_atom_t ping = x_->ewmh()->_NET_WM_PING;
    std::vector<xcb_window_t> pinged;
    for (xcb_window_t w : record->windows) {
        if (windowserver::windowSupportsProtocol(*x_, w, ping))
            pinged.push_back(w);
    }
    if (pinged.empty())
        return false;
    const std::uint32_t stamp = ++pingStamp_;
    for (xcb_window_t w : pinged) {
        // Sent to the client itself with no event mask: the way that reaches it.
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = w;
        event.type = x_->atoms().wmProtocols;
        event.data.data32[0] = ping;
        event.data.data32[1] = stamp;
        event.data.data32[2] = w;
        xcb_send_event(x_->xcb(), 0, w, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&event));
    }
    const auto answered = pump_->waitFor(
        [&](const xcb_generic_event_t& e) {
            if ((e.response_type & 0x7f) != XCB_CLIENT_MESSAGE)
                return false;
            const auto& m = reinterpret_cast<const xcb_client_message_event_t&>(e);
            return m.format == 32 && m.type == x_->atoms().wmProtocols &&
                   m.data.data32[0] == ping && m.data.data32[1] == stamp &&
                   std::find(pinged.begin(), pinged.end(), m.data.data32[2]) != pinged.end();
        },
        timeout);
    return !answered;
}

int RunningApplications::closeWindows(const SerialNumber& serial)
{
    const Record* record = find(serial);
    if (!record || !hasDisplay())
        return 0;
    for (xcb_window_t w : record->windows)
        windowserver::sendRootMessage(*x_, w, x_->ewmh()->_NET_CLOSE_WINDOW, XCB_CURRENT_TIME, 2);
    x_->flush();
    return int(record->windows.size());
}

QImage RunningApplications::applicationIcon(const SerialNumber& serial, int preferredSide)
{
    auto record = records_.value(serial);
    if (!record)
        return {};
    if (hasDisplay()) {
        for (auto it = record->windows.rbegin(); it != record->windows.rend(); ++it) {
            QImage icon = windowserver::windowIcon(*x_, *it, preferredSide);
            if (!icon.isNull())
                return icon;
        }
    }
    return record->facts.bundlePath.isEmpty()
               ? QImage()
               : bundleIcon(record->facts.bundlePath, preferredSide);
}

}  // namespace corvane::session
