// corvane-survey: the survey engine from a terminal.
//
//   corvane-survey [--format table|json|csv] [--mode all|32|64] [--name PREFIX]
//                  [--folder PATH] [--sort none|name|modified|created] [SCOPE]
//   corvane-survey folders [SCOPE]
//   corvane-survey set-mode i386|x86_64 BUNDLE...
//   corvane-survey export FILE
//   corvane-survey import FILE [SCOPE]
//
// SCOPE is a folder or a volume's root; without it every registered
// application is surveyed. Failures exit non-zero with one line naming the
// status code and its comment.
#include "cli/survey/ConsoleHost.h"
#include "cli/survey/Output.h"
#include "platform/foundation/FileIO.h"
#include "platform/registry/ArchitecturePreference.h"
#include "survey/engine/MyModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <cerrno>
#include <memory>
#include <optional>

using namespace corvane;
using namespace corvane::cli;

namespace {

constexpr int kUsageError = 2;
constexpr qint64 kMaxSettingsFileBytes = 32 * 1024 * 1024;

QTextStream& out()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream& err()
{
    static QTextStream s(stderr);
    return s;
}

int fail(const QString& subject, OSStatus status)
{
    err() << "corvane-survey: " << subject << " (" << describeStatus(status) << ")\n";
    return 1;
}

int usage(const QString& problem)
{
    err() << "corvane-survey: " << problem << "\n"
          << "usage: corvane-survey [--format table|json|csv] [--mode all|32|64] [--name PREFIX]\n"
             "                      [--folder PATH] [--sort none|name|modified|created] [SCOPE]\n"
             "       corvane-survey folders [SCOPE]\n"
             "       corvane-survey set-mode i386|x86_64 BUNDLE...\n"
             "       corvane-survey export FILE\n"
             "       corvane-survey import FILE [SCOPE]\n";
    return kUsageError;
}

// The scope as the survey takes it (an absolute file URL string), or an
// error when the folder does not exist.
std::optional<std::optional<QString>> scopeArgument(const QStringList& positional, qsizetype index, int& status)
{
    if (positional.size() <= index)
        return std::optional<QString>();
    const QFileInfo info(positional[index]);
    if (!info.exists()) {
        status = fail(positional[index] + QStringLiteral(": no such folder"), status::fnfErr);
        return std::nullopt;
    }
    if (!info.isDir()) {
        status = fail(positional[index] + QStringLiteral(": not a folder"), status::dirNFErr);
        return std::nullopt;
    }
    const QString path = QDir::cleanPath(info.absoluteFilePath());
    return std::optional<QString>(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded));
}

struct ListOptions {
    Format format = Format::Table;
    int modeTag = 0;
    QString name;
    QString folder;
    int sortTag = 0;
};

// Parses the listing options out of args; leaves the positional arguments.
std::optional<ListOptions> parseListOptions(QStringList& args, QString& problem)
{
    ListOptions o;
    const auto valueOf = [&](qsizetype& i) -> std::optional<QString> {
        if (i + 1 >= args.size()) {
            problem = args[i] + QStringLiteral(" needs a value");
            return std::nullopt;
        }
        return args[++i];
    };
    QStringList positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        std::optional<QString> v;
        if (a == QStringLiteral("--format") && (v = valueOf(i))) {
            const QStringList names{QStringLiteral("table"), QStringLiteral("json"), QStringLiteral("csv")};
            if (!names.contains(*v))
                return problem = QStringLiteral("unknown format \"%1\"").arg(*v), std::nullopt;
            o.format = static_cast<Format>(names.indexOf(*v));
        } else if (a == QStringLiteral("--mode") && (v = valueOf(i))) {
            const QStringList modes{QStringLiteral("all"), QStringLiteral("32"), QStringLiteral("64")};
            if (!modes.contains(*v))
                return problem = QStringLiteral("unknown mode \"%1\"").arg(*v), std::nullopt;
            o.modeTag = static_cast<int>(modes.indexOf(*v));
        } else if (a == QStringLiteral("--name") && (v = valueOf(i))) {
            o.name = *v;
        } else if (a == QStringLiteral("--folder") && (v = valueOf(i))) {
            o.folder = QDir::cleanPath(QFileInfo(*v).absoluteFilePath());
        } else if (a == QStringLiteral("--sort") && (v = valueOf(i))) {
            const QStringList sorts{QStringLiteral("none"), QStringLiteral("name"), QStringLiteral("modified"),
                                    QStringLiteral("created")};
            if (!sorts.contains(*v))
                return problem = QStringLiteral("unknown sort order \"%1\"").arg(*v), std::nullopt;
            o.sortTag = static_cast<int>(sorts.indexOf(*v));
        } else if (!problem.isEmpty()) {
            return std::nullopt;
        } else if (a.startsWith(QStringLiteral("--"))) {
            problem = QStringLiteral("unknown option %1").arg(a);
            return std::nullopt;
        } else {
            positional.append(a);
        }
        if (!problem.isEmpty())
            return std::nullopt;
    }
    args = positional;
    return o;
}

// A survey of the SCOPE argument at index, run to its publication.
struct FinishedSurvey {
    ConsoleHost host{err()};
    survey::MyModel model{host};
};

std::unique_ptr<FinishedSurvey> surveyScope(const QStringList& args, qsizetype index, int& status)
{
    const auto scope = scopeArgument(args, index, status);
    if (!scope)
        return nullptr;
    auto run = std::make_unique<FinishedSurvey>();
    run->model.loadAndShowWindow(*scope);
    run->model.waitUntilPublished();
    return run;
}

int listCommand(QStringList args)
{
    QString problem;
    const auto options = parseListOptions(args, problem);
    if (!options)
        return usage(problem);
    if (args.size() > 1)
        return usage(QStringLiteral("only one SCOPE may be given"));
    int status = 0;
    const auto run = surveyScope(args, 0, status);
    if (!run)
        return status;
    survey::MyModel& model = run->model;
    model.showSource2(options->modeTag);
    if (!options->name.isEmpty())
        model.showSource2a(options->name);
    if (!options->folder.isEmpty())
        model.showSource2b(options->folder, false);
    model.showSource8(options->sortTag);
    printRecords(out(), model.arrangedObjects(), options->format);
    return run->host.hadErrors() ? 1 : 0;
}

int foldersCommand(const QStringList& args)
{
    if (args.size() > 1)
        return usage(QStringLiteral("folders takes at most one SCOPE"));
    int status = 0;
    const auto run = surveyScope(args, 0, status);
    if (!run)
        return status;
    for (const survey::FolderItem& item : run->model.folderList())
        out() << item.title << '\t' << item.path << '\n';
    return run->host.hadErrors() ? 1 : 0;
}

int setModeCommand(const QStringList& args)
{
    if (args.size() < 2 || (args[0] != QStringLiteral("i386") && args[0] != QStringLiteral("x86_64")))
        return usage(QStringLiteral("set-mode needs i386 or x86_64 and at least one bundle"));
    int result = 0;
    ConsoleHost host(err());
    for (const QString& bundle : args.mid(1)) {
        const QString path = QDir::cleanPath(QFileInfo(bundle).absoluteFilePath());
        const registry::PreferenceStoring r = registry::storeArchitecturePreference(QUrl::fromLocalFile(path), args[0]);
        if (r.entryPointMissing) {
            host.incompatibleSystemAlert();
            result = 1;
        } else if (r.status != status::noErr) {
            result = fail(bundle + QStringLiteral(": the mode was not stored"), r.status);
        } else {
            out() << bundle << ": " << args[0] << '\n';
        }
    }
    return result;
}

int exportCommand(const QStringList& args)
{
    if (args.size() != 1)
        return usage(QStringLiteral("export needs one FILE"));
    const auto data = survey::MyModel::exportedSettings();
    if (!data)
        return fail(QStringLiteral("no architecture settings are stored; nothing was exported"),
                    status::kLSDataUnavailableErr);
    QString error;
    if (!writeFileAtomically(args[0], *data, &error))
        return fail(error, statusFromErrno(errno));
    return 0;
}

int importCommand(const QStringList& args)
{
    if (args.isEmpty() || args.size() > 2)
        return usage(QStringLiteral("import needs a FILE and at most one SCOPE"));
    QString error;
    const auto bytes = readRegularFile(args[0], kMaxSettingsFileBytes, &error);
    if (!bytes)
        return fail(error, QFileInfo::exists(args[0]) ? status::ioErr : status::fnfErr);
    if (!survey::MyModel::isSettingsFile(*bytes))
        return fail(args[0] + QStringLiteral(": not a settings file"), status::paramErr);
    int status = 0;
    const auto run = surveyScope(args, 1, status);
    if (!run)
        return status;
    for (const survey::MyController* record : run->model.importSettings(*bytes))
        out() << record->string() << ": " << modeName(*record) << '\t' << record->urlPPath() << '\n';
    return run->host.hadErrors() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvane-survey"));
    QStringList args = app.arguments().mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        usage(QStringLiteral("surveys application bundles and their launch modes"));
        return 0;
    }
    const QString command = args.value(0);
    if (command == QStringLiteral("folders"))
        return foldersCommand(args.mid(1));
    if (command == QStringLiteral("set-mode"))
        return setModeCommand(args.mid(1));
    if (command == QStringLiteral("export"))
        return exportCommand(args.mid(1));
    if (command == QStringLiteral("import"))
        return importCommand(args.mid(1));
    return listCommand(args);
}
