#include "platform/ui/Presenter.h"

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <cstdio>

namespace corvane::ui {

namespace {

std::atomic<Presenter*> installed{nullptr};

AlertResponse answerWithoutPresenter(const Alert& alert)
{
    // No one to ask: say what would have been shown, take the default.
    const QByteArray text =
        (alert.messageText + QStringLiteral(" \u2014 ") + alert.informativeText).toUtf8();
    std::fprintf(stderr, "alert: %s\n", text.constData());
    return AlertResponse{NSAlertFirstButtonReturn, alert.suppressionButtonInitiallyOn};
}

AlertResponse runOnThisThread(const Alert& alert)
{
    Presenter* presenter = installed.load();
    return presenter ? presenter->runAlert(alert) : answerWithoutPresenter(alert);
}

}  // namespace

Presenter::~Presenter()
{
    // A presenter destroyed while installed must not be called afterwards.
    Presenter* self = this;
    installed.compare_exchange_strong(self, nullptr);
}

Presenter* currentPresenter()
{
    return installed.load();
}

Presenter* setPresenter(Presenter* presenter)
{
    return installed.exchange(presenter);
}

AlertResponse runAlertThroughPresenter(const Alert& alert)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return runOnThisThread(alert);
    AlertResponse response;
    // The main thread runs the alert; this thread waits for its answer.
    QMetaObject::invokeMethod(
        app, [&response, &alert] { response = runOnThisThread(alert); },
        Qt::BlockingQueuedConnection);
    return response;
}

}  // namespace corvane::ui
