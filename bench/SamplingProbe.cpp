// Prints the process information dictionary of one process as JSON, once or
// every interval: the first line after a full refresh, the following ones
// after partial refreshes (only the two load figures change), one JSON
// object per line.
//
//   corvane-sampling-probe PID [--serial] [--interval SECONDS] [--count N]
//
// --serial    identify the process by its serial number, so a process whose
//             executable lies in a bundle shows the bundle's path, name,
//             identifier and icon (without it, as the monitor identifies a
//             process by its identifier: no bundle facts)
// --interval  print again every SECONDS (at least 0.1); without it, once
// --count     stop after N lines (default: until the process ends)
//
// Exit status: 0 when the process was sampled until the count or its end,
// 1 when it could not be sampled at all, 2 for a usage error.
#include "monitor/sampling/DictionaryJson.h"
#include "monitor/sampling/ProcessApplicationDirectory.h"
#include "monitor/sampling/ProcessInformation.h"
#include "platform/processes/ProcessTable.h"
#include "platform/ui/ObservableDictionary.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QStringList>
#include <QThread>

#include <cstdio>

using namespace corvane;
using namespace corvane::sampling;

namespace {

struct Options {
    qint32 pid = 0;
    bool bySerial = false;
    double interval = 0;
    long long count = -1;
};

int usage()
{
    std::fprintf(stderr,
                 "usage: corvane-sampling-probe PID [--serial] [--interval SECONDS] [--count N]\n");
    return 2;
}

bool parse(const QStringList& args, Options& o)
{
    bool ok = args.size() >= 2;
    if (ok)
        o.pid = args[1].toInt(&ok);
    for (qsizetype i = 2; ok && i < args.size(); ++i) {
        if (args[i] == u"--serial") {
            o.bySerial = true;
        } else if (args[i] == u"--interval" && i + 1 < args.size()) {
            o.interval = args[++i].toDouble(&ok);
            ok = ok && o.interval >= 0.1;
        } else if (args[i] == u"--count" && i + 1 < args.size()) {
            o.count = args[++i].toLongLong(&ok);
            ok = ok && o.count > 0;
        } else {
            ok = false;
        }
    }
    return ok && o.pid > 0;
}

void print(const ui::ObservableDictionary& dictionary)
{
    const QByteArray line = QJsonDocument(processDictionaryToJson(dictionary.snapshot()))
                                .toJson(QJsonDocument::Compact);
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Options options;
    if (!parse(app.arguments(), options))
        return usage();

    proc::ProcessTable& table = proc::ProcessTable::shared();
    ProcessApplicationDirectory directory(table);
    ProcessSampler sampler(table, &directory);
    ui::ObservableDictionary dictionary;

    std::optional<SerialNumber> serial;
    if (options.bySerial)
        serial = SerialNumber::forProcess(options.pid);
    if (sampler.SetInfoForPID(options.pid, serial, dictionary, true) != 0) {
        std::fprintf(stderr, "%s: PID %d: cannot be sampled\n", programName(), options.pid);
        return 1;
    }
    print(dictionary);
    for (long long printed = 1; options.interval > 0 && printed != options.count; ++printed) {
        QThread::usleep(static_cast<unsigned long>(options.interval * 1e6));
        if (sampler.SetInfoForPID(options.pid, std::nullopt, dictionary, false) != 0) {
            std::fprintf(stderr, "%s: PID %d: ended\n", programName(), options.pid);
            break;
        }
        print(dictionary);
    }
    return 0;
}
