// corvane-bundle-info: lists the application bundles in folders (searching
// inside bundles too) with their identifier, version and the architectures of
// their executables. A small inspection tool for developers and the
// sample folder; the survey itself is corvane-survey's job.
#include "platform/bundles/Bundle.h"
#include "platform/bundles/ExecutableArchitectures.h"
#include "platform/files/ApplicationSearch.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>

using namespace corvane;

namespace {

QStringList bundlesUnder(const QString& root)
{
    QStringList found;
    if (root.endsWith(QStringLiteral(".app")))
        found << root;
    files::findApplicationBundles(root, found);
    std::sort(found.begin(), found.end());
    return found;
}

QString architectures(const Bundle& bundle)
{
    const auto archs = bundle.executableArchitectures();
    if (archs.empty())
        return bundle.executablePath().isEmpty()
                   ? QStringLiteral("(no executable)")
                   : QStringLiteral("(none: not a Mach-O or ELF executable)");
    QStringList names;
    for (std::int32_t a : archs)
        names << architectureName(a);
    return names.join(u' ');
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList roots = app.arguments().mid(1);
    if (roots.isEmpty() || roots.contains(QStringLiteral("--help"))) {
        err << "usage: corvane-bundle-info FOLDER...\n"
               "Lists the application bundles in each folder with identifier, version and "
               "executable architectures.\n";
        return roots.isEmpty() ? 2 : 0;
    }
    int status = 0;
    for (const QString& root : roots) {
        if (!QFileInfo(root).isDir()) {
            err << "corvane-bundle-info: " << root << ": not a folder\n";
            status = 1;
            continue;
        }
        const QDir base(root);
        for (const QString& path : bundlesUnder(root)) {
            const auto bundle = Bundle::open(path);
            if (!bundle)
                continue;
            const plist::Value* version =
                bundle->infoValue(QStringLiteral("CFBundleShortVersionString"));
            out << base.relativeFilePath(path) << '\t'
                << (bundle->identifier().isEmpty() ? QStringLiteral("-") : bundle->identifier())
                << '\t' << (version ? version->toString(QStringLiteral("-")) : QStringLiteral("-"))
                << '\t' << architectures(*bundle) << '\n';
        }
    }
    return status;
}
