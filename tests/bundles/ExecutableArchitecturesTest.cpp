// The architecture reader on thin and universal Mach-O files of every header
// form, on ELF files, and on files that are truncated, lie or are no
// executables at all.
#include "platform/bundles/ExecutableArchitectures.h"
#include "platform/bundles/ExecutableFormats.h"
#include "tests/fixtures/Executables.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace corvane;
using namespace corvane::fixtures;
using Archs = std::vector<std::int32_t>;

namespace {

constexpr std::int32_t kI386 = exe::kCpuTypeX86;
constexpr std::int32_t kX64 = exe::kCpuTypeX86_64;
constexpr std::int32_t kPpc = exe::kCpuTypePowerPC;

Archs parse(const QByteArray& bytes)
{
    return parseExecutableHeader(bytes, static_cast<std::uint64_t>(bytes.size())).architectures;
}

void putBigEndian32(QByteArray& b, qsizetype at, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (24 - 8 * i)) & 0xFF);
}

}  // namespace

TEST(ExecutableArchitectures, ThinFilesInBothWidthsAndByteOrders)
{
    EXPECT_EQ(parse(machOThin({kI386})), Archs{kI386});
    EXPECT_EQ(parse(machOThin({kX64})), Archs{kX64});
    EXPECT_EQ(parse(machOThin({kPpc, 0})), Archs{kPpc});  // big-endian
    EXPECT_EQ(parse(machOThin({kX64, 3, Slice::Order::Big})), Archs{kX64});
    EXPECT_EQ(parse(machOThin({exe::kCpuTypePowerPC64, 0, Slice::Order::Little})),
              Archs{exe::kCpuTypePowerPC64});
    EXPECT_EQ(parseExecutableHeader(machOThin({kI386}), 1000).kind, ExecutableKind::MachOThin);
}

TEST(ExecutableArchitectures, UniversalFilesOfEveryHeaderForm)
{
    const std::vector<Slice> slices{{kI386}, {kX64}, {kPpc, 0}};
    for (FatHeader form : {FatHeader::Classic, FatHeader::Wide, FatHeader::ClassicLittleEndian}) {
        const QByteArray file = machOUniversal(slices, form);
        const ExecutableInfo info =
            parseExecutableHeader(file, static_cast<std::uint64_t>(file.size()));
        EXPECT_EQ(info.kind, ExecutableKind::MachOUniversal);
        EXPECT_EQ(info.architectures, (Archs{kI386, kX64, kPpc})) << info.problem.toStdString();
    }
    EXPECT_EQ(parse(machOUniversal({})), Archs{});
}

TEST(ExecutableArchitectures, ElfMachines)
{
    EXPECT_EQ(parse(elfExecutable(exe::kElfMachineX86_64, true)), Archs{kX64});
    EXPECT_EQ(parse(elfExecutable(exe::kElfMachine386, false)), Archs{kI386});
    EXPECT_EQ(parse(elfExecutable(exe::kElfMachinePowerPC, false, true)), Archs{kPpc});
    EXPECT_EQ(parse(elfExecutable(exe::kElfMachineAArch64, true)), Archs{exe::kCpuTypeArm64});
    const ExecutableInfo unknown = parseExecutableHeader(elfExecutable(0x1234, true), 200);
    EXPECT_EQ(unknown.kind, ExecutableKind::Elf);
    EXPECT_TRUE(unknown.architectures.empty());

    QByteArray object = elfExecutable(exe::kElfMachineX86_64, true);
    object[16] = 1;  // ET_REL: an object file, not an executable
    EXPECT_TRUE(parse(object).empty());
}

TEST(ExecutableArchitectures, EveryTruncationGivesNothingOrTheRightAnswer)
{
    // Each file with the length below which its headers are incomplete: a
    // universal file's slices reach its end; a thin file needs its load
    // commands, an ELF file its program headers.
    const std::pair<QByteArray, qsizetype> files[] = {
        {machOUniversal({{kI386}, {kX64}}), -1},
        {machOUniversal({{kI386}, {kX64}}, FatHeader::Wide), -1},
        {machOThin({kX64}), exe::kMachHeader64Size + 24},
        {machOThin({kI386}), exe::kMachHeaderSize + 24},
        {elfExecutable(exe::kElfMachineX86_64, true), exe::kElfHeader64Size + 56},
        {elfExecutable(exe::kElfMachine386, false), exe::kElfHeader32Size + 32},
    };
    for (const auto& [file, intact] : files) {
        const Archs whole = parse(file);
        ASSERT_EQ(whole.size(), 2u - (intact > 0));
        const qsizetype needed = intact > 0 ? intact : file.size();
        for (qsizetype n = 0; n < file.size(); n += (n < 160 ? 1 : 61)) {
            const Archs cut = parse(file.left(n));
            EXPECT_EQ(cut, n < needed ? Archs{} : whole) << "length " << n << " of " << file.size();
        }
    }
}

TEST(ExecutableArchitectures, HeadersThatLieAreMalformed)
{
    const QByteArray good = machOUniversal({{kI386}, {kX64}});

    QByteArray tooMany = good;
    putBigEndian32(tooMany, 4, 0xFFFFFFFF);  // four billion slices
    EXPECT_TRUE(parse(tooMany).empty());

    QByteArray pastEnd = good;
    putBigEndian32(pastEnd, 8 + 20 + 12, 0x7FFFFFFF);  // second slice's size
    EXPECT_TRUE(parse(pastEnd).empty());

    QByteArray overlapsHeader = good;
    putBigEndian32(overlapsHeader, 8 + 8, 4);  // first slice's offset inside the header
    EXPECT_TRUE(parse(overlapsHeader).empty());

    QByteArray thin = machOThin({kX64});
    thin[20] = char(0xFF);  // sizeofcmds far past the end (little-endian low byte...)
    thin[23] = char(0x7F);  // ...and high byte
    EXPECT_TRUE(parse(thin).empty());

    // A Java class file shares the universal magic; its version reads as a slice count.
    QByteArray javaClass("\xCA\xFE\xBA\xBE\x00\x00\x00\x34", 8);
    javaClass += QByteArray(200, 'j');
    EXPECT_TRUE(parse(javaClass).empty());
}

TEST(ExecutableArchitectures, FilesThatAreNoExecutables)
{
    QTemporaryDir dir;
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    EXPECT_TRUE(executableArchitectures(write(QStringLiteral("script"), shellScript())).empty());
    EXPECT_TRUE(executableArchitectures(write(QStringLiteral("empty"), QByteArray())).empty());
    EXPECT_TRUE(executableArchitectures(write(QStringLiteral("text"), "hello world\n")).empty());
    EXPECT_TRUE(executableArchitectures(dir.path()).empty());
    EXPECT_TRUE(executableArchitectures(dir.filePath(QStringLiteral("missing"))).empty());

    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_TRUE(executableArchitectures(fifo).empty()) << "must not block on a FIFO";
    EXPECT_TRUE(executableArchitectures(QStringLiteral("/dev/zero")).empty());

    const QString real = write(QStringLiteral("Tool “x”"), machOUniversal({{kI386}, {kX64}}));
    EXPECT_EQ(executableArchitectures(real), (Archs{kI386, kX64}));
}

TEST(ExecutableArchitectures, Names)
{
    EXPECT_EQ(architectureName(kI386), QStringLiteral("i386"));
    EXPECT_EQ(architectureName(kX64), QStringLiteral("x86_64"));
    EXPECT_EQ(architectureName(kPpc), QStringLiteral("ppc"));
    EXPECT_EQ(architectureName(99), QStringLiteral("99"));
}
