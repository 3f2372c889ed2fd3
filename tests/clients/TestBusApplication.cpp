// A program that registers the quit-and-reopen service, as each of ours does,
// for the request tests.
//
//   corvane-test-bus-app [--refuse N] [--slow-quit MS]
//     --refuse N       answer Quit with error number N and keep running
//     --slow-quit MS   take MS milliseconds before answering Quit
//
// Prints "ready" once registered, "reopened" for each Reopen and "quitting"
// when it accepts a Quit; exits 0 after accepting, 3 when it cannot register.
#include "platform/session/QuitReopenService.h"

#include <QCoreApplication>
#include <QThread>

#include <sys/prctl.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    QCoreApplication app(argc, argv);
    int refuse = 0;
    unsigned long slowMs = 0;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--refuse") == 0)
            refuse = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--slow-quit") == 0)
            slowMs = std::strtoul(argv[++i], nullptr, 10);
    }
    corvane::session::QuitReopenService service;
    service.setQuitHandler([&]() -> std::int32_t {
        if (slowMs > 0)
            QThread::msleep(slowMs);
        if (refuse != 0)
            return refuse;
        std::printf("quitting\n");
        std::fflush(stdout);
        QCoreApplication::exit(0);
        return 0;
    });
    QObject::connect(&service, &corvane::session::QuitReopenService::reopenRequested, [] {
        std::printf("reopened\n");
        std::fflush(stdout);
    });
    if (!service.registerOnSessionBus())
        return 3;
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
