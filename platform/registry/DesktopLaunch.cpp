#include "platform/registry/DesktopLaunch.h"

#include "platform/registry/DocumentHandlers.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace corvane::registry {

namespace {

bool hasCode(const QStringList& args, QChar code)
{
    for (const QString& a : args) {
        // "%%f" is a literal "%f", not the code.
        for (qsizetype i = 0; i + 1 < a.size(); ++i) {
            if (a.at(i) == u'%') {
                if (a.at(i + 1) == code)
                    return true;
                ++i;
            }
        }
    }
    return false;
}

QStringList localPaths(const QList<QUrl>& documents)
{
    QStringList paths;
    for (const QUrl& url : documents) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    return paths;
}

QStringList addresses(const QList<QUrl>& documents)
{
    QStringList urls;
    for (const QUrl& url : documents)
        urls.append(url.toString(QUrl::FullyEncoded));
    return urls;
}

// Expands the codes inside one argument; *onlyCodes tells whether it held
// nothing but codes.
QString expandInside(const QString& arg, const DesktopEntry& entry, const QList<QUrl>& documents,
                     bool* onlyCodes)
{
    QString out;
    *onlyCodes = true;
    for (qsizetype i = 0; i < arg.size(); ++i) {
        if (arg.at(i) != u'%' || i + 1 == arg.size()) {
            out += arg.at(i);
            *onlyCodes = false;
            continue;
        }
        const QChar code = arg.at(++i);
        switch (code.unicode()) {
        case u'%':
            out += u'%';
            *onlyCodes = false;
            break;
        case u'f':
            out += localPaths(documents).value(0);
            break;
        case u'u':
            out += addresses(documents).value(0);
            break;
        case u'c':
            out += entry.name();
            break;
        case u'k':
            out += entry.path();
            break;
        default:
            break;  // deprecated, unknown, or a list code inside a word
        }
    }
    return out;
}

QString findProgram(const QString& program)
{
    if (program.contains(u'/'))
        return QDir::isAbsolutePath(program) && QFileInfo(program).isExecutable() ? program
                                                                                  : QString();
    return QStandardPaths::findExecutable(program);
}

}  // namespace

QStringList expandExecArguments(const QStringList& execArguments, const DesktopEntry& entry,
                                const QList<QUrl>& documents)
{
    QStringList out;
    for (const QString& arg : execArguments) {
        if (arg == QStringLiteral("%F")) {
            out += localPaths(documents);
        } else if (arg == QStringLiteral("%U")) {
            out += addresses(documents);
        } else if (arg == QStringLiteral("%i")) {
            const QString icon = entry.value(QStringLiteral("Icon"));
            if (!icon.isEmpty())
                out += {QStringLiteral("--icon"), icon};
        } else {
            bool onlyCodes = false;
            const QString expanded = expandInside(arg, entry, documents, &onlyCodes);
            if (!(onlyCodes && expanded.isEmpty()))
                out += expanded;
        }
    }
    return out;
}

OSStatus desktopCommands(const DesktopEntry& entry, const QList<QUrl>& documents,
                         QList<DesktopCommand>* commands)
{
    if (!entry.isApplication())
        return status::kLSNotAnApplicationErr;
    const auto exec = splitExecLine(entry.value(QStringLiteral("Exec")));
    if (!exec)
        return status::kLSNoExecutableErr;
    QList<QList<QUrl>> batches;
    const bool perDocument = hasCode(*exec, u'f') || hasCode(*exec, u'u');
    const bool filesOnly = !hasCode(*exec, u'u') && !hasCode(*exec, u'U');
    QList<QUrl> usable;
    for (const QUrl& url : documents) {
        if (!filesOnly || url.isLocalFile())
            usable.append(url);
    }
    if (perDocument && !usable.isEmpty()) {
        for (const QUrl& url : usable)
            batches.append({url});
    } else {
        batches.append(usable);
    }

    QStringList prefix;  // the terminal's command, for Terminal=true
    if (entry.boolean(QStringLiteral("Terminal"))) {
        const auto terminal = terminalApplication();
        const auto terminalEntry =
            terminal ? DesktopEntry::readFile(terminal->toLocalFile()) : std::nullopt;
        const auto terminalExec = terminalEntry
                                      ? splitExecLine(terminalEntry->value(QStringLiteral("Exec")))
                                      : std::nullopt;
        if (!terminalExec)
            return status::kLSApplicationNotFoundErr;
        prefix = expandExecArguments(*terminalExec, *terminalEntry, {});
        prefix.append(QStringLiteral("-e"));
    }
    QList<DesktopCommand> result;
    for (const QList<QUrl>& batch : batches) {
        QStringList args = prefix + expandExecArguments(*exec, entry, batch);
        if (args.isEmpty())
            return status::kLSNoExecutableErr;
        DesktopCommand command;
        command.program = findProgram(args.takeFirst());
        if (command.program.isEmpty())
            return status::kLSNoExecutableErr;
        command.arguments = args;
        command.workingDirectory = entry.value(QStringLiteral("Path"));
        result.append(command);
    }
    if (commands)
        *commands = result;
    return status::noErr;
}

}  // namespace corvane::registry
