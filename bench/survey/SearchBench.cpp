// Times the application-bundle search against the command a user would run
// instead, `find ROOT -xdev -type d -name '*.app'`, on the same tree with a
// warm cache, and reports medians and the ratio.
//
//   corvane-search-bench [--folders N] [--runs N] TREE
//
// TREE is generated when it does not exist yet: N folders (default 200,000)
// in a deterministic, realistically uneven shape, one in every 150 named
// "*.app", with a file beside every folder.
#include "platform/files/ApplicationSearch.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

using namespace corvane;

namespace {

struct Options {
    QString tree;
    int folders = 200000;
    int runs = 7;
};

// Breadth-first growth with a seeded generator: fan-out between 1 and 12,
// deeper levels thinner, so the tree resembles an installed system.
int generateTree(const QString& root, int folders)
{
    std::mt19937 rng(20261206);
    std::vector<QString> frontier{root};
    int made = 0;
    int bundles = 0;
    QDir().mkpath(root);
    for (size_t at = 0; made < folders && at < frontier.size(); ++at) {
        const int fanOut = 1 + static_cast<int>(rng() % 12);
        for (int i = 0; i < fanOut && made < folders; ++i) {
            const bool bundle = rng() % 150 == 0;
            const QString name = bundle ? QStringLiteral("Tool %1.app").arg(made) : QStringLiteral("dir%1").arg(made);
            const QString path = frontier[at] + u'/' + name;
            if (!QDir().mkdir(path))
                return -1;
            QFile file(frontier[at] + QStringLiteral("/file%1.txt").arg(made));
            if (!file.open(QIODevice::WriteOnly))
                return -1;
            frontier.push_back(path);
            ++made;
            bundles += bundle;
        }
    }
    return bundles;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename Run>
std::vector<double> timeRuns(int runs, Run run)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        run();
        ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    return ms;
}

bool parse(const QStringList& args, Options& o)
{
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--folders") && i + 1 < args.size())
            o.folders = args[++i].toInt();
        else if (args[i] == QStringLiteral("--runs") && i + 1 < args.size())
            o.runs = args[++i].toInt();
        else if (!args[i].startsWith(QStringLiteral("--")))
            o.tree = args[i];
        else
            return false;
    }
    return !o.tree.isEmpty() && o.folders > 0 && o.runs > 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Options o;
    if (!parse(app.arguments(), o)) {
        std::fprintf(stderr, "usage: corvane-search-bench [--folders N] [--runs N] TREE\n");
        return 2;
    }
    if (!QFileInfo::exists(o.tree)) {
        std::fprintf(stderr, "generating %d folders in %s ...\n", o.folders, qPrintable(o.tree));
        if (generateTree(o.tree, o.folders) < 0) {
            std::fprintf(stderr, "cannot write the tree\n");
            return 1;
        }
    }

    qsizetype ours = 0;
    qsizetype theirs = 0;
    // One untimed pass each warms the cache.
    const auto search = [&] {
        QStringList found;
        files::findApplicationBundles(o.tree, found);
        ours = found.size();
    };
    const auto find = [&] {
        QProcess p;
        p.start(QStringLiteral("find"), {o.tree, QStringLiteral("-xdev"), QStringLiteral("-type"),
                                         QStringLiteral("d"), QStringLiteral("-name"), QStringLiteral("*.app")});
        p.waitForFinished(-1);
        theirs = p.readAllStandardOutput().count('\n');
    };
    search();
    find();
    const std::vector<double> searchMs = timeRuns(o.runs, search);
    const std::vector<double> findMs = timeRuns(o.runs, find);

    const double s = median(searchMs);
    const double f = median(findMs);
    std::printf("tree: %s (%lld bundles)\n", qPrintable(o.tree), static_cast<long long>(ours));
    std::printf("application search: median %.1f ms over %d runs\n", s, o.runs);
    std::printf("find -xdev -type d -name '*.app': median %.1f ms over %d runs (%lld found)\n", f, o.runs,
                static_cast<long long>(theirs));
    std::printf("ratio find / search: %.2f\n", f / s);
    return ours == theirs ? 0 : 1;
}
