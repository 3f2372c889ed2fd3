// A private environment for survey tests: preferences under a temporary
// configuration home, system files under a temporary system root, and a
// folder for test bundles. Restores the environment when destroyed.
#pragma once

#include "platform/foundation/PropertyList.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <vector>

namespace corvane::survey::test {

class SurveyTestEnvironment {
public:
    SurveyTestEnvironment();
    ~SurveyTestEnvironment();
    SurveyTestEnvironment(const SurveyTestEnvironment&) = delete;
    SurveyTestEnvironment& operator=(const SurveyTestEnvironment&) = delete;

    // Where test bundles go (its path holds spaces and non-ASCII letters).
    QString applications() const { return apps_.path(); }
    QString systemRoot() const { return root_.path(); }

    // Writes a system file under the system root ("/System/Library/...").
    void writeSystemFile(const char* absolutePath, const QByteArray& bytes) const;
    void writeSystemVersion(const QString& version) const;
    void writeExceptions(const plist::Dictionary& minimumVersions) const;

    // Sets an environment variable until the environment is destroyed.
    void setVariable(const char* name, const QByteArray& value);

private:
    QTemporaryDir home_;
    QTemporaryDir root_;
    QTemporaryDir apps_;
    struct Saved {
        const char* name;
        bool had;
        QByteArray value;
    };
    std::vector<Saved> saved_;
};

}  // namespace corvane::survey::test
