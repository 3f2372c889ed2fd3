// What the tests of the session and the window server share: the Qt
// application they need for event loops and the bus, waiting while events are
// handled, and skipping when the desktop session is missing.
#pragma once

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>

namespace corvane::testing {

inline void ensureQtApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "corvane-session-tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

// Handles events until done() holds or timeout passes; whether it held.
template <typename Predicate>
bool waitUntil(Predicate done, std::chrono::milliseconds timeout = std::chrono::seconds(5))
{
    ensureQtApplication();
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        // A real loop that sleeps, as an application's does (some event
        // sources are read just before the loop goes to sleep).
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// Handles events for a while (to let the window manager act on requests).
inline void settle(std::chrono::milliseconds time = std::chrono::milliseconds(150))
{
    waitUntil([] { return false; }, time);
}

// Makes window the active one from outside, as a pager or a user's click
// does (xdotool, source "pager"), and waits until the window manager says so
// in _NET_ACTIVE_WINDOW; asks again if a request is lost. Whether it did.
inline bool activateFromOutside(std::uint32_t window,
                                std::chrono::milliseconds timeout = std::chrono::seconds(5))
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const QString id = QString::number(window);
    while (std::chrono::steady_clock::now() < deadline) {
        QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), id});
        QProcess active;
        active.start(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")});
        if (active.waitForFinished(5000) &&
            active.readAllStandardOutput().trimmed() == id.toLatin1())
            return true;
        waitUntil([] { return false; }, std::chrono::milliseconds(100));
    }
    return false;
}

inline bool haveDisplay()
{
    return std::getenv("DISPLAY") != nullptr;
}

inline bool haveSessionBus()
{
    return std::getenv("DBUS_SESSION_BUS_ADDRESS") != nullptr;
}

}  // namespace corvane::testing

#define CORVANE_REQUIRE_DISPLAY()                                              \
    do {                                                                       \
        if (!::corvane::testing::haveDisplay())                                \
            GTEST_SKIP() << "no X display: run under scripts/with-session.sh"; \
    } while (0)

#define CORVANE_REQUIRE_SESSION_BUS()                                            \
    do {                                                                         \
        if (!::corvane::testing::haveSessionBus())                               \
            GTEST_SKIP() << "no session bus: run under scripts/with-session.sh"; \
    } while (0)
