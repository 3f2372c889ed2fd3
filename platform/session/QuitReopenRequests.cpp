#include "platform/session/QuitReopenRequests.h"

#include "platform/processes/ProcStat.h"
#include "platform/session/QuitReopenService.h"
#include "platform/session/RunningApplications.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QThread>

#include <unistd.h>
#include <cerrno>
#include <csignal>

namespace corvane::session {

namespace {

using Clock = std::chrono::steady_clock;

OSStatus statusOfBusError(const QDBusMessage& reply)
{
    const QString name = reply.errorName();
    if (name == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
        name == QLatin1String("org.freedesktop.DBus.Error.Timeout") ||
        name == QLatin1String("org.freedesktop.DBus.Error.TimedOut"))
        return status::errAETimeout;
    if (name == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod") ||
        name == QLatin1String("org.freedesktop.DBus.Error.UnknownObject") ||
        name == QLatin1String("org.freedesktop.DBus.Error.UnknownInterface"))
        return status::errAEEventNotHandled;
    return status::connectionInvalid;  // the name or the connection went away
}

// Sends method to our program's service; with a reply, returns its number.
OSStatus callService(const QString& busName, const char* method, ReplyMode mode,
                     std::chrono::milliseconds timeout)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(busName, QLatin1String(kQuitReopenPath),
                                       QLatin1String(kQuitReopenInterface), QLatin1String(method));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (mode == ReplyMode::NoReply) {
        call.setAutoStartService(false);
        return bus.send(call) ? status::noErr : status::connectionInvalid;
    }
    const int ms = static_cast<int>(std::min<std::int64_t>(timeout.count(), 0x7fffffff));
    const QDBusMessage reply = bus.call(call, QDBus::Block, std::max(1, ms));
    if (reply.type() != QDBusMessage::ReplyMessage)
        return statusOfBusError(reply);
    const QVariantList arguments = reply.arguments();
    if (arguments.isEmpty())
        return status::noErr;  // no error number: success
    bool ok = false;
    const int number = arguments.front().toInt(&ok);
    return ok ? number : status::noErr;
}

OSStatus waitForExit(const SerialNumber& serial, std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (!hasExited(serial)) {
        if (Clock::now() >= deadline)
            return status::errAETimeout;
        QThread::msleep(10);
    }
    return status::noErr;
}

}  // namespace

QString verifiedQuitReopenBusName(pid_t pid)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return {};
    const QString name = quitReopenBusName(pid);
    const QDBusReply<uint> owner = bus.interface()->servicePid(name);
    if (!owner.isValid() || owner.value() != static_cast<uint>(pid))
        return {};
    return name;
}

bool hasExited(const SerialNumber& serial)
{
    if (!serial.isRunning())
        return true;
    const auto stat = proc::readStat(serial.pid());
    return !stat || stat->state == 'Z' || stat->state == 'X';
}

OSStatus requestQuit(const SerialNumber& serial, ReplyMode mode, RunningApplications* session,
                     std::chrono::milliseconds timeout)
{
    if (!serial.isValid() || hasExited(serial))
        return status::procNotFound;
    if (serial.pid() == ::getpid()) {
        QuitReopenService* own = QuitReopenService::instance();
        return own ? own->Quit() : status::errAEEventNotHandled;
    }
    if (const QString busName = verifiedQuitReopenBusName(serial.pid()); !busName.isEmpty())
        return callService(busName, "Quit", mode, timeout);

    const int closed = session ? session->closeWindows(serial) : 0;
    if (closed == 0 && ::kill(serial.pid(), SIGTERM) != 0)
        return errno == ESRCH ? status::procNotFound : statusFromErrno(errno);
    return mode == ReplyMode::NoReply ? status::noErr : waitForExit(serial, timeout);
}

OSStatus requestReopen(const SerialNumber& serial, ReplyMode mode, RunningApplications* session,
                       std::chrono::milliseconds timeout)
{
    if (!serial.isValid() || hasExited(serial))
        return status::procNotFound;
    if (serial.pid() == ::getpid()) {
        QuitReopenService* own = QuitReopenService::instance();
        return own ? own->Reopen() : status::errAEEventNotHandled;
    }
    if (const QString busName = verifiedQuitReopenBusName(serial.pid()); !busName.isEmpty())
        return callService(busName, "Reopen", mode, timeout);
    return session ? session->activate(serial) : status::noErr;
}

}  // namespace corvane::session
