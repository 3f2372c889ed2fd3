#include "tests/monitor/sampling/SamplingSupport.h"

#include "platform/processes/ProcessTable.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>

#include <sched.h>

namespace corvane::fixtures {

TestApplicationDirectory::TestApplicationDirectory() : real_(proc::ProcessTable::shared()) {}

std::optional<sampling::ApplicationInformation> TestApplicationDirectory::applicationInformation(
    const SerialNumber& serial) const
{
    const auto it = canned_.find(serial);
    if (it != canned_.end())
        return *it;
    return real_.applicationInformation(serial);
}

DiagnosticCapture::DiagnosticCapture() : file_(std::tmpfile()) {}

DiagnosticCapture::~DiagnosticCapture()
{
    if (file_)
        std::fclose(file_);
}

QByteArray DiagnosticCapture::text() const
{
    if (!file_)
        return {};
    std::fflush(file_);
    const long size = std::ftell(file_);
    QByteArray bytes(size, '\0');
    std::rewind(file_);
    const std::size_t n = std::fread(bytes.data(), 1, static_cast<std::size_t>(size), file_);
    bytes.truncate(static_cast<qsizetype>(n));
    std::fseek(file_, 0, SEEK_END);
    return bytes;
}

KeyLog::KeyLog(ui::ObservableDictionary& dictionary)
{
    QObject::connect(&dictionary, &ui::ObservableDictionary::valueChanged, &context_,
                     [this](const QString& key, const QVariant&) {
                         changed_.insert(key);
                         ++counts_[key];
                     });
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

void spinEventLoop(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
}

double processorCeiling()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) != 0)
        return 100.0 * QThread::idealThreadCount();
    return 100.0 * CPU_COUNT(&set);
}

}  // namespace corvane::fixtures
