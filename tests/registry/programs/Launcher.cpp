// A program for launch tests that stands in for an application launching
// another one through the registry: launches the bundle argv[1] with the
// launch flags argv[2] (decimal) and prints the status and, on success, the
// launched process's identifier. Copied into a test bundle, it launches as
// that bundle.
#include "platform/registry/Launching.h"

#include <QCoreApplication>
#include <QUrl>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: launcher BUNDLE FLAGS\n");
        return 2;
    }
    corvane::registry::LaunchParameters parameters;
    parameters.application = QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1]));
    parameters.flags = QString::fromLatin1(argv[2]).toUInt();
    corvane::SerialNumber launched;
    const corvane::OSStatus status = corvane::registry::openApplication(parameters, &launched);
    std::printf("status=%d\npid=%d\n", int(status), int(launched.pid()));
    return 0;
}
