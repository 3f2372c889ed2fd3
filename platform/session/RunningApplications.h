// The running applications of the desktop session: the processes that own
// top-level windows of the window manager's client list, plus the processes
// the registry launched (told through noteLaunched). Each is known by its
// serial number (start time + process identifier, platform/processes).
//
// What the calls stand for:
//   - the front application is the owner of _NET_ACTIVE_WINDOW;
//   - hide iconifies every window of the application (ICCCM WM_CHANGE_STATE),
//     show maps them again, activate asks the window manager to activate
//     them (_NET_ACTIVE_WINDOW), topmost last;
//   - an application is unresponsive when none of its windows answers a
//     _NET_WM_PING within the time-out;
//   - a launch is a new owner appearing in the client list, or a noted
//     process: one notification per application, never for those that ran
//     when the service started.
//
// Threading: main thread only (the thread that made the object, which must
// run a Qt event loop for launch and front-application notifications).
// Every query first brings the list up to date with the server, so answers
// are current even between events.
//
// Without a display (no DISPLAY, or the server went away) the service still
// knows the noted processes; window-related calls then find no windows and
// no front application.
#pragma once

#include "platform/foundation/StatusCodes.h"
#include "platform/processes/SerialNumber.h"
#include "platform/session/ProcessFacts.h"
#include "platform/windowserver/XConnection.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace corvane::windowserver {
class XEventPump;
}

namespace corvane::session {

enum class ApplicationType {
    Foreground,      // has ordinary windows (or is a bundle that does not say otherwise)
    UIElement,       // LSUIElement, or only panels, docks and windows kept off the task bar
    BackgroundOnly,  // LSBackgroundOnly, or a process with no bundle and no windows
};

// The codes of sendNotification.
namespace notification {
inline constexpr std::int32_t kActivate = 515;
inline constexpr std::int32_t kShow = 536;
inline constexpr std::int32_t kHide = 537;
}  // namespace notification

// The bit of presentationOptions() that says applications cannot be hidden.
inline constexpr std::int32_t kPresentationHidingDisabled = 64;

inline constexpr std::chrono::milliseconds kDefaultPingTimeout{500};

struct RunningApplication {
    SerialNumber serialNumber;
    ProcessFacts facts;  // pid, executable, bundle, display name, identifier, architecture
    ApplicationType type = ApplicationType::BackgroundOnly;
    bool hidden = false;        // it has windows and all of them are iconified
    bool launchedHere = false;  // told through noteLaunched by this process

    pid_t pid() const { return facts.pid; }
    // A directory file URL of the bundle; empty without a bundle.
    QUrl bundleUrl() const;
};

// Criteria of findApplications; unset criteria match everything.
struct ApplicationQuery {
    std::optional<ApplicationType> type;
    std::optional<bool> hidden;
    QString bundlePath;             // the same bundle (compared with links resolved)
    bool launchedHereOnly = false;  // only those noted by this process
};

class RunningApplications : public QObject {
    Q_OBJECT

public:
    // Connects to the display named by DISPLAY.
    explicit RunningApplications(QObject* parent = nullptr);
    // Uses connection, which may be null (no display).
    explicit RunningApplications(std::unique_ptr<windowserver::XConnection> connection,
                                 QObject* parent = nullptr);
    ~RunningApplications() override;

    bool hasDisplay() const;
    // The connection, or null without a display. Owned by this object.
    windowserver::XConnection* connection() const { return x_.get(); }

    // Tells the service of a process the registry launched from bundlePath.
    // It counts as running while that process runs, with or without windows,
    // and is announced as a launch once, like a new window owner.
    void noteLaunched(const SerialNumber& serial, const QString& bundlePath);

    // The running applications, in the order they were first seen.
    QList<RunningApplication> applications();
    std::optional<RunningApplication> application(const SerialNumber& serial);
    // The owner of the active window; an invalid serial number when no
    // window is active (or there is no display).
    SerialNumber frontApplication();
    // This process's own serial number.
    static SerialNumber currentApplication();

    std::optional<ApplicationType> applicationType(const SerialNumber& serial);
    QList<SerialNumber> findApplications(const ApplicationQuery& query);
    // Foreground applications that are hidden / not hidden.
    int hiddenApplicationCount();
    int unhiddenApplicationCount();
    // kPresentationHidingDisabled when hiding cannot work (no window
    // manager, or one that cannot iconify); 0 otherwise.
    std::int32_t presentationOptions();

    // Each returns noErr when the request went out (the window manager acts
    // on it shortly after), procNotFound when the application is not
    // running. An application without windows has nothing to do: noErr.
    OSStatus activate(const SerialNumber& serial);
    OSStatus hide(const SerialNumber& serial);
    OSStatus show(const SerialNumber& serial);
    // kActivate, kShow or kHide; paramErr for any other code.
    OSStatus sendNotification(std::int32_t code, const SerialNumber& serial);
    // Force quit (SIGKILL) the process, only while the serial number still
    // names it (a reused process identifier is never hit). options is kept
    // for callers that pass one; every value forces. procNotFound when it is
    // gone; the kill's failure as a status otherwise.
    OSStatus killApplication(const SerialNumber& serial, std::int32_t options);

    // Pings every window of the application that takes _NET_WM_PING and
    // waits at most timeout for one answer; unresponsive when none comes.
    // An application with no such window (or no display) is never reported
    // unresponsive: nothing tells. Blocks the caller up to timeout.
    bool isUnresponsive(const SerialNumber& serial,
                        std::chrono::milliseconds timeout = kDefaultPingTimeout);

    // The application's managed windows, bottom to top.
    std::vector<xcb_window_t> windowsOf(const SerialNumber& serial);
    // Asks the window manager to close each of its windows (_NET_CLOSE_WINDOW);
    // returns how many were asked.
    int closeWindows(const SerialNumber& serial);
    // Its icon: a window's _NET_WM_ICON, else the bundle's icon file; null
    // when there is neither.
    QImage applicationIcon(const SerialNumber& serial, int preferredSide);

    // The serial number of the process that owns window; invalid when unknown.
    SerialNumber ownerOfWindow(xcb_window_t window);

Q_SIGNALS:
    // A new application: its facts and its icon (128 pixels or the closest).
    // Queued: never emitted from inside a call of this object.
    void applicationLaunched(const corvane::session::RunningApplication& application,
                             const QImage& icon);
    // The front application changed (queued like applicationLaunched).
    void frontApplicationChanged(const corvane::SerialNumber& front);

private:
    struct Record;
    void handleEvent(const xcb_generic_event_t& event);
    void refresh(bool announce = true);
    RunningApplication describe(const Record& record);
    ApplicationType typeOf(const Record& record);
    void announce(const SerialNumber& serial);
    const Record* find(const SerialNumber& serial);

    std::unique_ptr<windowserver::XConnection> x_;
    std::unique_ptr<windowserver::XEventPump> pump_;
    QHash<SerialNumber, std::shared_ptr<Record>> records_;
    QList<SerialNumber> order_;
    QHash<xcb_window_t, SerialNumber> windowOwners_;
    QHash<SerialNumber, QString> noted_;
    QHash<SerialNumber, bool> announced_;
    SerialNumber lastFront_;
    std::uint32_t pingStamp_ = 0x10000;
};

}  // namespace corvane::session

Q_DECLARE_METATYPE(corvane::session::RunningApplication)
