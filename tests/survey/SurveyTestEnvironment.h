// A private environment for survey tests: the registry tests' temporary
// desktop (home, XDG folders and an application folder whose paths hold
// spaces and non-ASCII letters) plus a temporary system root for the system
// files. Restores the environment when destroyed.
#pragma once

#include "platform/foundation/PropertyList.h"
#include "tests/registry/RegistryTestSupport.h"

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

    // Where test bundles go: the registry's application folder.
    QString applications() const { return desktop_.applications(); }
    QString systemRoot() const { return root_.path(); }

    // Writes a system file under the system root ("/System/Library/...").
    void writeSystemFile(const char* absolutePath, const QByteArray& bytes) const;
    void writeSystemVersion(const QString& version) const;
    void writeExceptions(const plist::Dictionary& minimumVersions) const;

    // Sets an environment variable until the environment is destroyed.
    void setVariable(const char* name, const QByteArray& value);

private:
    registry::test::TemporaryDesktop desktop_;
    QTemporaryDir root_;
    struct Saved {
        const char* name;
        bool had;
        QByteArray value;
    };
    std::vector<Saved> saved_;
};

}  // namespace corvane::survey::test
