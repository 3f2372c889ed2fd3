// Shared set-up of the registry tests: an isolated desktop (a temporary home
// with its own XDG folders and application folder, whose paths hold spaces,
// quotes and non-ASCII letters), desktop entries and bundles written into it,
// and the records that the recorder program leaves when it is launched.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/types.h>
#include <functional>
#include <optional>
#include <ostream>

#include "tests/fixtures/QtPrinting.h"

namespace corvane::registry::test {

// Points HOME, the XDG variables and CORVANE_APPLICATION_PATH into a fresh
// temporary folder while it lives, and restores them afterwards. The MIME
// database of the system stays visible (its "mime" folder is linked in).
// Processes the tests launch inherit CORVANE_TEST_RECORD_DIR = recordFolder().
class TemporaryDesktop {
public:
    TemporaryDesktop();
    ~TemporaryDesktop();
    TemporaryDesktop(const TemporaryDesktop&) = delete;
    TemporaryDesktop& operator=(const TemporaryDesktop&) = delete;

    bool isValid() const { return root_.isValid(); }
    QString root() const { return root_.path(); }
    QString home() const;
    QString configHome() const;          // $XDG_CONFIG_HOME
    QString dataHome() const;            // $XDG_DATA_HOME
    QString systemData() const;          // the one entry of $XDG_DATA_DIRS
    QString applications() const;        // $CORVANE_APPLICATION_PATH
    QString userApplications() const;    // dataHome()/applications
    QString systemApplications() const;  // systemData()/applications
    QString recordFolder() const;        // where the recorder writes

    // Writes a desktop entry file (creating folders); returns its path.
    QString writeEntry(const QString& folder, const QString& fileName, const QString& text) const;
    // Writes $XDG_CONFIG_HOME/mimeapps.list.
    void writeMimeApps(const QString& text) const;

private:
    QTemporaryDir root_;
    QMap<QByteArray, std::optional<QByteArray>> saved_;
};

// The recorder program, and its text as the executable of a test bundle.
QString recorderProgram();
QByteArray recorderBytes();
// The launcher test program.
QString launcherProgram();

// A desktop entry text that runs the recorder with the Exec arguments given
// after the program (already quoted as the format wants).
QString recorderEntry(const QString& name, const QString& execArguments,
                      const QString& extraLines = {});

// What a recorder process wrote about itself.
struct Record {
    pid_t pid = 0;
    pid_t parent = 0;
    pid_t session = 0;
    QString workingDirectory;
    QStringList arguments;                      // argv, argv[0] included
    QMap<QString, QString> corvaneEnvironment;  // the CORVANE_* variables
    QStringList openDescriptors;                // beyond 0, 1 and 2
    QString standardInput;                      // what descriptor 0 points at
};

// Waits (up to timeoutMs) for the record of pid in folder.
std::optional<Record> waitForRecord(const QString& folder, pid_t pid, int timeoutMs = 10'000);
// Every record in the folder, waiting until count of them exist.
QList<Record> waitForRecords(const QString& folder, int count, int timeoutMs = 10'000);

// The test program's application object, made on first use (event loops,
// file watchers and the session bus need one).
void ensureApplication();
// Runs the event loop until the condition holds or timeoutMs have passed;
// returns whether it held.
bool spinUntil(const std::function<bool()>& condition, int timeoutMs = 10'000);

// Waits (up to timeoutMs) until the process is gone or a zombie.
bool waitForExit(pid_t pid, int timeoutMs = 10'000);
// Ends a lingering test process.
void terminate(pid_t pid);

}  // namespace corvane::registry::test
