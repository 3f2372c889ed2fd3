// The process information of real processes: identity by process identifier
// and by serial number (a running bundle), the request groups, and CPU
// figures of busy and idle processes against the kernel's own count.
#include "monitor/sampling/ProcessInformation.h"
#include "monitor/sampling/ProcessKeys.h"
#include "platform/bundles/BundleIcon.h"
#include "platform/foundation/NullMarker.h"
#include "platform/processes/ProcStat.h"
#include "platform/processes/ProcessTable.h"
#include "platform/ui/ObservableDictionary.h"
#include "tests/fixtures/BundleBuilder.h"
#include "tests/monitor/sampling/SamplingSupport.h"
#include "tests/processes/ChildProcess.h"
#include "tests/processes/KernelAverage.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <unistd.h>
#include <iostream>

using namespace corvane;
using namespace corvane::sampling;
using corvane::fixtures::ChildProcess;

namespace {

const QRegularExpression kPercent(QStringLiteral("^\\d+\\.\\d$"));

ValueArray requesting(std::initializer_list<int> slots, int size = kValueArraySlots)
{
    ValueArray values(size);
    for (int s : slots)
        values[s] = nullMarkerVariant();
    return values;
}

QByteArray redIcns()
{
    QImage image(128, 128, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "icns").write(image);
    return bytes;
}

QByteArray loadChildBytes()
{
    QFile f(fixtures::loadChildProgram());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class ProcessInformation : public ::testing::Test {
protected:
    proc::ProcessTable table;
    fixtures::TestApplicationDirectory directory;
    ProcessSampler sampler{table, &directory};
    ui::ObservableDictionary dictionary;
    QTemporaryDir dir;

    QVariant at(const QString& key) const { return dictionary.value(key); }
};

}  // namespace

TEST_F(ProcessInformation, ByIdentifierTheNameIsTheExecutablesFileName)
{
    // A name with dots keeps them all; the registry's facts stay unavailable.
    const QString folder = dir.path() + QStringLiteral("/My Tools ü");
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/load.child-1.0");
    ASSERT_TRUE(QFile::copy(fixtures::loadChildProgram(), path));
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
    auto child = ChildProcess::start(path, {QStringLiteral("--idle"), QStringLiteral("2")});
    ASSERT_TRUE(child);

    ASSERT_EQ(sampler.SetInfoForPID(child->pid(), std::nullopt, dictionary, true), 0);
    EXPECT_EQ(at(kLSPIDKey), QVariant::fromValue<qint32>(child->pid()));
    EXPECT_EQ(at(kLSDisplayNameKey).toString(), QStringLiteral("load.child-1.0"));
    EXPECT_EQ(at(kLSExecutablePathKey).toString(), path);
    EXPECT_EQ(at(kApplicationIconKey).value<QImage>(), genericIcon(GenericIcon::Executable));
    EXPECT_EQ(at(kCurrentProcessTypeKey).toString(),
              sizeof(void*) == 8 ? QStringLiteral("64") : QStringLiteral("32"));
    EXPECT_TRUE(kPercent.match(at(kCurrentProcessCPUKey).toString()).hasMatch());
    EXPECT_TRUE(kPercent.match(at(kCurrentProcessMEMKey).toString()).hasMatch());
    for (const QString& key : {kLSBundlePathKey, kLSASNKey, kLSBundleIdentifierLowerCaseKey})
        EXPECT_TRUE(isNullMarker(at(key))) << key.toStdString();
    EXPECT_EQ(dictionary.keys().size(), kValueArraySlots);
}

TEST_F(ProcessInformation, BySerialNumberABundleGivesItsNameIconAndIdentifier)
{
    const QString bundle = fixtures::BundleBuilder(dir.path(), QStringLiteral("Sample Tool.app"))
                               .identifier(QStringLiteral("Org.Example.SampleTool"))
                               .executableBytes(loadChildBytes())
                               .icon(redIcns())
                               .build();
    ASSERT_FALSE(bundle.isEmpty());
    auto child = ChildProcess::start(bundle + QStringLiteral("/Contents/MacOS/Sample Tool"));
    ASSERT_TRUE(child);
    const SerialNumber serial = SerialNumber::forProcess(child->pid());

    // The identifier argument is replaced by the one the registry reports.
    ASSERT_EQ(sampler.SetInfoForPID(0, serial, dictionary, true), 0);
    EXPECT_EQ(at(kLSPIDKey), QVariant::fromValue<qint32>(child->pid()));
    EXPECT_EQ(at(kLSDisplayNameKey).toString(), QStringLiteral("Sample Tool"));
    EXPECT_EQ(at(kLSBundlePathKey).toString(), bundle);
    EXPECT_EQ(at(kLSExecutablePathKey).toString(),
              bundle + QStringLiteral("/Contents/MacOS/Sample Tool"));
    EXPECT_EQ(at(kLSASNKey).value<SerialNumber>(), serial);
    EXPECT_EQ(at(kLSBundleIdentifierLowerCaseKey).toString(),
              QStringLiteral("org.example.sampletool"));
    const QImage icon = at(kApplicationIconKey).value<QImage>();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixel(64, 64), QColor(Qt::red).rgb());
}

TEST_F(ProcessInformation, RegistryNamesLoseOnlyAnApplicationExtension)
{
    auto child = ChildProcess::load();
    ASSERT_TRUE(child);
    const SerialNumber serial = SerialNumber::forProcess(child->pid());
    const QList<QPair<QString, QString>> names = {
        {QStringLiteral("Tool.app"), QStringLiteral("Tool")},
        {QStringLiteral("My.Tool 2.app"), QStringLiteral("My.Tool 2")},
        {QStringLiteral("indexer.service"), QStringLiteral("indexer")},
        {QStringLiteral("Tool.APP"), QStringLiteral("Tool.APP")},
        {QStringLiteral("Tool.apps"), QStringLiteral("Tool.apps")},
        {QStringLiteral("Tool.zip"), QStringLiteral("Tool.zip")},
        {QStringLiteral("Tool"), QStringLiteral("Tool")},
        {QStringLiteral(".app"), QStringLiteral(".app")},
        {QStringLiteral("a/b.app"), QStringLiteral("a/b")},
        {QStringLiteral("a.app/b"), QStringLiteral("a.app/b")},
    };
    for (const auto& [given, shown] : names) {
        ApplicationInformation info;
        info.pid = child->pid();
        info.displayName = given;
        info.serialNumber = serial;
        directory.setInformation(serial, info);
        ValueArray values = requesting({kDisplayNameSlot});
        ASSERT_EQ(sampler.CopyProcessInformationDictionaryForPID(0, values, serial), 0);
        EXPECT_EQ(values[kDisplayNameSlot].toString(), shown) << given.toStdString();
    }
}

TEST_F(ProcessInformation, ExecutablePathsGiveTheirLastComponent)
{
    EXPECT_EQ(processNameFromPath(QStringLiteral("/usr/sbin/syslogd")), QStringLiteral("syslogd"));
    EXPECT_EQ(processNameFromPath(QStringLiteral("/opt/Tool.app/Contents/MacOS/Tool")),
              QStringLiteral("Tool"));
    EXPECT_EQ(processNameFromPath(QStringLiteral("/a/b/")), QStringLiteral("b/"));
    for (const QString& unusable : {QString(), QStringLiteral("/"), QStringLiteral("tool")})
        EXPECT_FALSE(processNameFromPath(unusable)) << unusable.toStdString();
    // Far longer than the system's own path buffer: the name is still the last component.
    const QString deep = QStringLiteral("/x").repeated(1500) + QStringLiteral("/deep-tool");
    EXPECT_EQ(processNameFromPath(deep), QStringLiteral("deep-tool"));
}

TEST_F(ProcessInformation, OnlyTheRequestedGroupsRun)
{
    auto child = ChildProcess::load();
    ASSERT_TRUE(child);
    const pid_t pid = child->pid();

    ValueArray identity = requesting({kPIDSlot});
    ASSERT_EQ(sampler.CopyProcessInformationDictionaryForPID(pid, identity, std::nullopt), 0);
    EXPECT_EQ(identity[kPIDSlot], QVariant::fromValue<qint32>(pid));
    EXPECT_EQ(identity[kDisplayNameSlot].toString(), QStringLiteral("corvane-load-child"))
        << "the group fills name and path though only the identifier was asked for";
    EXPECT_TRUE(identity[kExecutablePathSlot].isValid());
    for (int s : {kIconSlot, kTypeSlot, kCPUSlot, kMEMSlot, kBundlePathSlot, kASNSlot})
        EXPECT_FALSE(identity[s].isValid()) << "slot " << s;

    ValueArray icon = requesting({kIconSlot});
    ASSERT_EQ(sampler.CopyProcessInformationDictionaryForPID(pid, icon, std::nullopt), 0);
    EXPECT_EQ(icon[kIconSlot].typeId(), QMetaType::QImage);
    EXPECT_FALSE(icon[kPIDSlot].isValid());

    // Measures need both load slots; with one, nothing is measured.
    ValueArray cpuOnly = requesting({kCPUSlot, kTypeSlot});
    ASSERT_EQ(sampler.CopyProcessInformationDictionaryForPID(pid, cpuOnly, std::nullopt), 0);
    EXPECT_TRUE(isNullMarker(cpuOnly[kCPUSlot]));
    EXPECT_TRUE(isNullMarker(cpuOnly[kTypeSlot]));

    ValueArray loads = requesting({kCPUSlot, kMEMSlot, kCPUNSlot, kMEMNSlot}, kProcessListSlots);
    ASSERT_EQ(sampler.CopyProcessInformationDictionaryForPID(pid, loads, std::nullopt), 0);
    EXPECT_TRUE(kPercent.match(loads[kCPUSlot].toString()).hasMatch());
    EXPECT_TRUE(kPercent.match(loads[kMEMSlot].toString()).hasMatch());
    EXPECT_FALSE(loads[kTypeSlot].isValid()) << "the word size only when asked for";
    EXPECT_TRUE(isNullMarker(loads[kCPUNSlot]) && isNullMarker(loads[kMEMNSlot]))
        << "a process list entry's own slots keep their markers";

    ValueArray tooShort(kValueArraySlots - 1, nullMarkerVariant());
    EXPECT_EQ(sampler.CopyProcessInformationDictionaryForPID(pid, tooShort, std::nullopt), 1);
}

TEST_F(ProcessInformation, FourBusyThreadsShowWhatTheyRunIdleOnesNothing)
{
    auto busy = ChildProcess::load({QStringLiteral("--busy"), QStringLiteral("4")});
    auto idle = ChildProcess::load({QStringLiteral("--idle"), QStringLiteral("4")});
    ASSERT_TRUE(busy && idle);
    QThread::msleep(1000);  // past the tick noise of threads a few milliseconds old
    ui::ObservableDictionary idleDictionary;
    fixtures::KernelAverage kernel(busy->pid());
    double expected = 0;
    // Ticks of the monitor's shortest interval, for three seconds.
    for (int tick = 0; tick <= 6; ++tick) {
        ASSERT_EQ(sampler.SetInfoForPID(busy->pid(), std::nullopt, dictionary, false), 0);
        ASSERT_EQ(sampler.SetInfoForPID(idle->pid(), std::nullopt, idleDictionary, false), 0);
        expected = kernel.sample();
        if (tick < 6)
            QThread::msleep(500);
    }
    const double shown = at(kCurrentProcessCPUKey).toString().toDouble();
    const double ceiling = std::min(400.0, fixtures::processorCeiling());
    std::cout << "four busy threads: shown " << shown << ", the kernel's count averaged alike "
              << expected << ", at most " << ceiling << " on this machine\n";
    EXPECT_LE(shown, ceiling + 5);
    // Other work may crowd the machine: what counts is agreement with the
    // kernel's own count; a quarter processor is the least four spinning
    // threads get even then.
    EXPECT_GE(shown, 25.0) << "clearly busy";
    EXPECT_NEAR(shown, expected, std::max(3.0, expected * 0.05));
    EXPECT_LE(idleDictionary.value(kCurrentProcessCPUKey).toString().toDouble(), 1.0);
}
