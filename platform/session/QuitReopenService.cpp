#include "platform/session/QuitReopenService.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QTimer>

#include <unistd.h>

namespace corvane::session {

namespace {

QuitReopenService* registeredService = nullptr;

std::int32_t acceptAndQuit()
{
    // Queued, so the reply leaves before the loop ends.
    QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
    return 0;
}

}  // namespace

QString quitReopenBusName(pid_t pid)
{
    return QStringLiteral("%1.Process%2").arg(QLatin1String(kQuitReopenInterface)).arg(pid);
}

QuitReopenService::QuitReopenService(QObject* parent) : QObject(parent), quitHandler_(acceptAndQuit)
{
}

QuitReopenService::~QuitReopenService()
{
    if (!registered_)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(QLatin1String(kQuitReopenPath));
    bus.unregisterService(quitReopenBusName(::getpid()));
    if (registeredService == this)
        registeredService = nullptr;
}

bool QuitReopenService::registerOnSessionBus()
{
    if (registered_)
        return true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    const QString path = QLatin1String(kQuitReopenPath);
    if (!bus.registerObject(path, this, QDBusConnection::ExportScriptableSlots))
        return false;
    if (!bus.registerService(quitReopenBusName(::getpid()))) {
        bus.unregisterObject(path);
        return false;
    }
    registered_ = true;
    registeredService = this;
    return true;
}

QuitReopenService* QuitReopenService::instance()
{
    return registeredService;
}

int QuitReopenService::Quit()
{
    const std::int32_t result = quitHandler_ ? quitHandler_() : acceptAndQuit();
    if (result == 0)
        Q_EMIT quitAccepted();
    return result;
}

int QuitReopenService::Reopen()
{
    Q_EMIT reopenRequested();
    return 0;
}

}  // namespace corvane::session
