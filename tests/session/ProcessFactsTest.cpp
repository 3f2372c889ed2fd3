// Bundle facts of real processes: the bundle a binary or a script runs from,
// its display name, identifier and running architecture, with awkward paths.
#include "platform/bundles/ExecutableFormats.h"
#include "platform/session/ProcessFacts.h"
#include "tests/clients/SessionTestSupport.h"
#include "tests/clients/TestChild.h"
#include "tests/fixtures/BundleBuilder.h"
#include "tests/fixtures/Executables.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace corvane;
using namespace corvane::session;
using corvane::fixtures::BundleBuilder;
using corvane::testing::TestChild;

namespace {

QByteArray fileBytes(const std::string& path)
{
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A bundle whose executable is a copy of a real 64-bit program (sleep).
QString sleepBundle(const QString& folder, const QString& name, const QString& identifier)
{
    return BundleBuilder(folder, name)
        .identifier(identifier)
        .executableName(QStringLiteral("Runner"))
        .executableBytes(fileBytes("/bin/sleep"))
        .build();
}

// The smallest i386 program: pause() in a loop, a static ELF file of one
// loadable segment.
QByteArray i386PauseProgram()
{
    QByteArray elf;
    QDataStream out(&elf, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint32 base = 0x08048000, codeOffset = 52 + 32;
    const QByteArray code("\xb8\x1d\x00\x00\x00\xcd\x80\xeb\xf7", 9);  // mov eax,29; int 0x80; jmp
    const quint32 size = codeOffset + quint32(code.size());
    out.writeRawData(
        "\x7f"
        "ELF\x01\x01\x01",
        7);
    out.writeRawData(QByteArray(9, '\0').constData(), 9);
    out << quint16(2) << quint16(exe::kElfMachine386) << quint32(1) << quint32(base + codeOffset)
        << quint32(52) << quint32(0) << quint32(0) << quint16(52) << quint16(32) << quint16(1)
        << quint16(0) << quint16(0) << quint16(0);
    out << quint32(1) << quint32(0) << base << base << size << size << quint32(5)
        << quint32(0x1000);
    out.writeRawData(code.constData(), int(code.size()));
    return elf;
}

}  // namespace

TEST(ProcessFacts, BundleOfExecutableNeedsTheBundleLayout)
{
    EXPECT_EQ(bundleOfExecutable(QStringLiteral("/A b/Ça va.app/Contents/MacOS/Ça va")),
              QStringLiteral("/A b/Ça va.app"));
    EXPECT_EQ(bundleOfExecutable(QStringLiteral("/x/Corvane.app/Contents/Library/LoginItems/"
                                                "Corvane Agent.app/Contents/MacOS/Corvane Agent")),
              QStringLiteral("/x/Corvane.app/Contents/Library/LoginItems/Corvane Agent.app"))
        << "the innermost bundle";
    EXPECT_EQ(bundleOfExecutable(QStringLiteral("/x/Helper.bundle/Contents/MacOS/h")),
              QStringLiteral("/x/Helper.bundle"));
    EXPECT_TRUE(bundleOfExecutable(QStringLiteral("/usr/bin/sleep")).isEmpty());
    EXPECT_TRUE(bundleOfExecutable(QStringLiteral("/x/Contents/MacOS/tool")).isEmpty());
    EXPECT_TRUE(bundleOfExecutable(QStringLiteral("/x/T.app/Contents/Resources/tool")).isEmpty());
    EXPECT_TRUE(bundleOfExecutable(QStringLiteral("relative/T.app/Contents/MacOS/t")).isEmpty());
    EXPECT_TRUE(bundleOfExecutable(QString()).isEmpty());
}

TEST(ProcessFacts, ABinaryRunningFromABundleWithAwkwardName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path() + QStringLiteral("/Apps with \"quotes\" & ünïcode");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString bundle =
        sleepBundle(folder, QStringLiteral("Tëst Ap'p.app"), QStringLiteral("org.Example.TestApp"));
    ASSERT_FALSE(bundle.isEmpty());
    auto child = TestChild::start(
        {QFile::encodeName(bundle + QStringLiteral("/Contents/MacOS/Runner")).toStdString(), "30"});
    ASSERT_TRUE(child);
    std::optional<ProcessFacts> facts;
    ASSERT_TRUE(corvane::testing::waitUntil([&] {
        facts = readProcessFacts(child->pid());
        return facts && !facts->bundlePath.isEmpty();
    })) << "the child never showed its executable";
    EXPECT_EQ(facts->pid, child->pid());
    EXPECT_EQ(facts->bundlePath, bundle);
    EXPECT_EQ(facts->executablePath, bundle + QStringLiteral("/Contents/MacOS/Runner"));
    EXPECT_EQ(facts->displayName, QStringLiteral("Tëst Ap'p"));
    EXPECT_EQ(facts->bundleIdentifier, QStringLiteral("org.Example.TestApp"));
    EXPECT_EQ(facts->architecture, exe::kCpuTypeX86_64);

    // The walk of /proc finds it by its bundle, however the path is spelled.
    const auto copies = processesRunningFromBundle(folder + QStringLiteral("/./Tëst Ap'p.app/"));
    EXPECT_EQ(copies, std::vector<pid_t>{child->pid()});
    EXPECT_TRUE(processesRunningFromBundle(folder + QStringLiteral("/Other.app")).empty());
    child->kill();
    EXPECT_TRUE(processesRunningFromBundle(bundle).empty());
}

TEST(ProcessFacts, AScriptRunningFromABundleAndAPlainProcess)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString bundle = BundleBuilder(dir.path(), QStringLiteral("Script Tool.app"))
                               .identifier(QStringLiteral("org.example.script"))
                               .set(QStringLiteral("LSUIElement"), true)
                               .executableBytes(fixtures::shellScript(QStringLiteral("sleep 30\n")))
                               .build();
    auto script = TestChild::start(
        {"/bin/sh",
         QFile::encodeName(bundle + QStringLiteral("/Contents/MacOS/Script Tool")).toStdString()});
    ASSERT_TRUE(script);
    ASSERT_TRUE(corvane::testing::waitUntil([&] {
        const auto f = readProcessFacts(script->pid());
        return f && !f->bundlePath.isEmpty();
    }));
    const auto facts = readProcessFacts(script->pid());
    EXPECT_EQ(facts->bundlePath, bundle) << "found through the interpreter's argument";
    EXPECT_EQ(facts->displayName, QStringLiteral("Script Tool"));
    EXPECT_EQ(facts->architecture, exe::kCpuTypeX86_64) << "the interpreter is what runs";

    auto plain = TestChild::start({"/bin/sleep", "30"});
    ASSERT_TRUE(plain);
    ASSERT_TRUE(corvane::testing::waitUntil([&] {
        const auto f = readProcessFacts(plain->pid());
        return f && f->displayName == QStringLiteral("sleep");
    }));
    const auto plainFacts = readProcessFacts(plain->pid());
    EXPECT_TRUE(plainFacts->bundlePath.isEmpty());
    EXPECT_TRUE(plainFacts->bundleIdentifier.isEmpty());

    // A known bundle given by the launcher wins over what /proc suggests.
    const auto told = readProcessFacts(plain->pid(), bundle);
    EXPECT_EQ(told->bundlePath, bundle);
    EXPECT_EQ(told->bundleIdentifier, QStringLiteral("org.example.script"));

    plain->kill();
    EXPECT_FALSE(readProcessFacts(plain->pid())) << "a reaped process has no facts";
    EXPECT_FALSE(readProcessFacts(0));
    EXPECT_FALSE(readProcessFacts(-1));
}

TEST(ProcessFacts, A32BitProcessReportsI386)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString bundle = BundleBuilder(dir.path(), QStringLiteral("Old.app"))
                               .executableBytes(i386PauseProgram())
                               .build();
    const std::string path =
        QFile::encodeName(bundle + QStringLiteral("/Contents/MacOS/Old")).toStdString();
    auto child = TestChild::start({path});
    ASSERT_TRUE(child);
    if (child->waitForExit(std::chrono::milliseconds(200)) != -1)
        GTEST_SKIP() << "this kernel runs no i386 programs (no IA-32 emulation)";
    const auto facts = readProcessFacts(child->pid());
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->architecture, exe::kCpuTypeX86);
    EXPECT_EQ(facts->bundlePath, bundle);
}
