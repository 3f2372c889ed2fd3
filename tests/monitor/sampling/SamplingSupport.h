// Shared pieces of the sampling tests: an application directory whose
// frontmost application the test sets (the rest answered from /proc), a
// diagnostic stream the test can read back, a log of which dictionary keys
// changed, and waiting with the event loop running.
#pragma once

#include "monitor/sampling/ApplicationDirectory.h"
#include "monitor/sampling/ProcessApplicationDirectory.h"
#include "platform/ui/ObservableDictionary.h"

#include <QMap>
#include <QObject>
#include <QSet>
#include <QString>

#include <cstdio>
#include <functional>
#include <optional>

namespace corvane::fixtures {

// Real /proc facts, a frontmost application of the test's choosing, and
// canned information for serial numbers the test registers.
class TestApplicationDirectory : public sampling::ApplicationDirectory {
public:
    TestApplicationDirectory();

    std::optional<sampling::ApplicationInformation> applicationInformation(
        const SerialNumber& serial) const override;
    std::optional<SerialNumber> frontApplication() const override { return front_; }

    void setFrontApplication(std::optional<SerialNumber> serial) { front_ = serial; }
    void setInformation(const SerialNumber& serial, const sampling::ApplicationInformation& info)
    {
        canned_.insert(serial, info);
    }

private:
    sampling::ProcessApplicationDirectory real_;
    std::optional<SerialNumber> front_;
    QHash<SerialNumber, sampling::ApplicationInformation> canned_;
};

// A temporary file as a diagnostic stream.
class DiagnosticCapture {
public:
    DiagnosticCapture();
    ~DiagnosticCapture();
    DiagnosticCapture(const DiagnosticCapture&) = delete;
    DiagnosticCapture& operator=(const DiagnosticCapture&) = delete;

    std::FILE* stream() const { return file_; }
    QByteArray text() const;

private:
    std::FILE* file_;
};

// Records the keys of a dictionary whose observers were notified.
class KeyLog {
public:
    explicit KeyLog(ui::ObservableDictionary& dictionary);
    QSet<QString> changed() const { return changed_; }
    int count(const QString& key) const { return counts_.value(key); }
    void clear()
    {
        changed_.clear();
        counts_.clear();
    }

private:
    QObject context_;
    QSet<QString> changed_;
    QMap<QString, int> counts_;
};

// Runs the event loop until condition holds or timeoutMs pass; whether it held.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs);
// Runs the event loop for ms milliseconds.
void spinEventLoop(int ms);

// 100 × the processors this process may run on: the most CPU figure a
// process can show here.
double processorCeiling();

}  // namespace corvane::fixtures
