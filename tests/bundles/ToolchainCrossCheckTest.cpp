// Cross-checks the architecture reader against Mach-O files made by a real
// toolchain (clang with Apple targets, llvm-lipo). Skipped where the tools
// are not installed.
#include "platform/bundles/ExecutableArchitectures.h"
#include "platform/bundles/ExecutableFormats.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <iostream>

using namespace corvane;
using Archs = std::vector<std::int32_t>;

namespace {

QString findTool(std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty())
            return path;
    }
    return {};
}

bool run(const QString& program, const QStringList& arguments)
{
    QProcess p;
    p.start(program, arguments);
    const bool ok =
        p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!ok)
        std::cerr << qPrintable(program) << " failed: " << p.readAllStandardError().toStdString();
    return ok;
}

std::string describe(const Archs& archs)
{
    std::string s;
    for (std::int32_t a : archs)
        s += (s.empty() ? "" : " ") + architectureName(a).toStdString() + "(" + std::to_string(a) +
             ")";
    return s;
}

}  // namespace

TEST(ToolchainCrossCheck, UniversalFilesMadeByLipo)
{
    const QString clang = findTool({"clang-14", "clang"});
    const QString lipo = findTool({"llvm-lipo-14", "llvm-lipo"});
    if (clang.isEmpty() || lipo.isEmpty())
        GTEST_SKIP() << "clang or llvm-lipo is not installed";

    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("main.c"));
    {
        QFile f(source);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("int main(void) { return 0; }\n");
    }
    const QString i386 = dir.filePath(QStringLiteral("main-i386.o"));
    const QString x64 = dir.filePath(QStringLiteral("main-x86_64.o"));
    const QString fat = dir.filePath(QStringLiteral("main universal.o"));
    ASSERT_TRUE(run(clang, {QStringLiteral("-target"), QStringLiteral("i386-apple-macosx10.6"),
                            QStringLiteral("-c"), source, QStringLiteral("-o"), i386}));
    ASSERT_TRUE(run(clang, {QStringLiteral("-target"), QStringLiteral("x86_64-apple-macosx10.6"),
                            QStringLiteral("-c"), source, QStringLiteral("-o"), x64}));
    ASSERT_TRUE(run(lipo, {QStringLiteral("-create"), i386, x64, QStringLiteral("-output"), fat}));

    EXPECT_EQ(executableArchitectures(i386), Archs{exe::kCpuTypeX86});
    EXPECT_EQ(executableArchitectures(x64), Archs{exe::kCpuTypeX86_64});
    const Archs universal = executableArchitectures(fat);
    EXPECT_EQ(universal, (Archs{exe::kCpuTypeX86, exe::kCpuTypeX86_64}));
    std::cout << "universal file from llvm-lipo: " << describe(universal) << "\n";

    // Inputs in the other order: whatever order lipo writes, the reader
    // reports both slices, each once.
    const QString reversed = dir.filePath(QStringLiteral("reversed.o"));
    ASSERT_TRUE(
        run(lipo, {QStringLiteral("-create"), x64, i386, QStringLiteral("-output"), reversed}));
    Archs second = executableArchitectures(reversed);
    std::sort(second.begin(), second.end());
    EXPECT_EQ(second, (Archs{exe::kCpuTypeX86, exe::kCpuTypeX86_64}));
    std::cout << "universal file from llvm-lipo (inputs reversed): " << describe(second) << "\n";
}
