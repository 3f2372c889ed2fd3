#include "platform/bundles/ExecutableArchitectures.h"

#include "platform/bundles/ExecutableFormats.h"
#include "platform/foundation/FileIO.h"

#include <cstring>

namespace corvane {

namespace {

// Universal headers larger than this are refused: 2,000 slice entries.
constexpr qint64 kMaxHeadBytes = 64 * 1024;

// A bounds-checked view of the head of a file in one byte order.
class HeaderView {
public:
    HeaderView(const QByteArray& head, bool bigEndian) : head_(head), bigEndian_(bigEndian) {}

    bool has(std::uint64_t at, std::uint64_t width) const
    {
        return at <= static_cast<std::uint64_t>(head_.size()) &&
               width <= static_cast<std::uint64_t>(head_.size()) - at;
    }

    std::uint64_t read(std::uint64_t at, unsigned width) const
    {
        std::uint64_t v = 0;
        for (unsigned i = 0; i < width; ++i) {
            const unsigned index = bigEndian_ ? i : width - 1 - i;
            v = (v << 8) | static_cast<std::uint8_t>(head_.at(static_cast<qsizetype>(at + index)));
        }
        return v;
    }
    std::uint32_t u32(std::uint64_t at) const { return static_cast<std::uint32_t>(read(at, 4)); }
    std::uint16_t u16(std::uint64_t at) const { return static_cast<std::uint16_t>(read(at, 2)); }

private:
    const QByteArray& head_;
    bool bigEndian_;
};

ExecutableInfo malformed(ExecutableKind kind, const QString& problem)
{
    ExecutableInfo info;
    info.kind = kind;
    info.problem = problem;
    return info;
}

std::uint32_t magicOf(const QByteArray& head)
{
    return HeaderView(head, true).u32(0);
}

ExecutableInfo parseUniversal(const QByteArray& head, std::uint64_t fileSize, bool bigEndian,
                              bool wide)
{
    const HeaderView v(head, bigEndian);
    if (!v.has(0, exe::kFatHeaderSize))
        return malformed(ExecutableKind::MachOUniversal,
                         QStringLiteral("universal header truncated"));
    const std::uint64_t count = v.u32(4);
    const std::uint64_t entrySize = wide ? exe::kFatArch64Size : exe::kFatArchSize;
    const std::uint64_t tableEnd = exe::kFatHeaderSize + count * entrySize;
    if (!v.has(0, tableEnd) || tableEnd > fileSize)
        return malformed(
            ExecutableKind::MachOUniversal,
            QStringLiteral("universal header claims %1 slices, more than the file holds")
                .arg(count));
    ExecutableInfo info;
    info.kind = ExecutableKind::MachOUniversal;
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t at = exe::kFatHeaderSize + i * entrySize;
        const auto cpuType = static_cast<std::int32_t>(v.u32(at));
        const std::uint64_t offset = wide ? v.read(at + 8, 8) : v.u32(at + 8);
        const std::uint64_t size = wide ? v.read(at + 16, 8) : v.u32(at + 12);
        if (offset < tableEnd || offset > fileSize || size > fileSize - offset)
            return malformed(
                ExecutableKind::MachOUniversal,
                QStringLiteral("slice %1 (offset %2, size %3) lies outside the file of %4 bytes")
                    .arg(i)
                    .arg(offset)
                    .arg(size)
                    .arg(fileSize));
        info.architectures.push_back(cpuType);
    }
    return info;
}

ExecutableInfo parseThin(const QByteArray& head, std::uint64_t fileSize, bool bigEndian, bool wide)
{
    const HeaderView v(head, bigEndian);
    const std::uint64_t headerSize = wide ? exe::kMachHeader64Size : exe::kMachHeaderSize;
    if (!v.has(0, headerSize) || headerSize > fileSize)
        return malformed(ExecutableKind::MachOThin, QStringLiteral("Mach-O header truncated"));
    const std::uint64_t commandBytes = v.u32(20);
    if (commandBytes > fileSize - headerSize)
        return malformed(ExecutableKind::MachOThin,
                         QStringLiteral("load commands (%1 bytes) run past the end of the file")
                             .arg(commandBytes));
    ExecutableInfo info;
    info.kind = ExecutableKind::MachOThin;
    info.architectures.push_back(static_cast<std::int32_t>(v.u32(4)));
    return info;
}

std::int32_t cpuTypeOfElfMachine(std::uint16_t machine)
{
    switch (machine) {
    case exe::kElfMachine386:
        return exe::kCpuTypeX86;
    case exe::kElfMachineX86_64:
        return exe::kCpuTypeX86_64;
    case exe::kElfMachinePowerPC:
        return exe::kCpuTypePowerPC;
    case exe::kElfMachinePowerPC64:
        return exe::kCpuTypePowerPC64;
    case exe::kElfMachineArm:
        return exe::kCpuTypeArm;
    case exe::kElfMachineAArch64:
        return exe::kCpuTypeArm64;
    default:
        return 0;
    }
}

// Whether the program and section header tables the ELF header announces lie
// within the file.
bool tablesFit(const HeaderView& v, bool wide, std::uint64_t fileSize)
{
    const auto fits = [&](std::uint64_t offset, std::uint64_t entrySize, std::uint64_t count) {
        return offset == 0 || (offset <= fileSize && entrySize * count <= fileSize - offset);
    };
    if (wide)
        return fits(v.read(32, 8), v.u16(54), v.u16(56)) &&
               fits(v.read(40, 8), v.u16(58), v.u16(60));
    return fits(v.u32(28), v.u16(42), v.u16(44)) && fits(v.u32(32), v.u16(46), v.u16(48));
}

ExecutableInfo parseElf(const QByteArray& head, std::uint64_t fileSize)
{
    if (head.size() < 6)
        return malformed(ExecutableKind::Elf, QStringLiteral("ELF header truncated"));
    const auto elfClass = static_cast<std::uint8_t>(head.at(4));
    const auto data = static_cast<std::uint8_t>(head.at(5));
    if ((elfClass != exe::kElfClass32 && elfClass != exe::kElfClass64) ||
        (data != exe::kElfDataLittle && data != exe::kElfDataBig))
        return malformed(ExecutableKind::Elf, QStringLiteral("unknown ELF class or byte order"));
    const std::uint64_t headerSize =
        elfClass == exe::kElfClass64 ? exe::kElfHeader64Size : exe::kElfHeader32Size;
    const HeaderView v(head, data == exe::kElfDataBig);
    if (!v.has(0, headerSize) || headerSize > fileSize)
        return malformed(ExecutableKind::Elf, QStringLiteral("ELF header truncated"));
    const std::uint16_t type = v.u16(16);
    if (type != exe::kElfTypeExecutable && type != exe::kElfTypeShared)
        return malformed(ExecutableKind::Elf,
                         QStringLiteral("ELF file of type %1 is not an executable").arg(type));
    if (!tablesFit(v, elfClass == exe::kElfClass64, fileSize))
        return malformed(
            ExecutableKind::Elf,
            QStringLiteral("ELF program or section headers run past the end of the file"));
    ExecutableInfo info;
    info.kind = ExecutableKind::Elf;
    if (const std::int32_t cpu = cpuTypeOfElfMachine(v.u16(18)))
        info.architectures.push_back(cpu);
    else
        info.problem = QStringLiteral("unknown ELF machine %1").arg(v.u16(18));
    return info;
}

}  // namespace

ExecutableInfo parseExecutableHeader(const QByteArray& head, std::uint64_t fileSize)
{
    if (head.size() < 4)
        return malformed(ExecutableKind::None, QStringLiteral("too short to be an executable"));
    if (std::memcmp(head.constData(), exe::kElfMagic, 4) == 0)
        return parseElf(head, fileSize);
    switch (magicOf(head)) {
    case exe::kFatMagic:
        return parseUniversal(head, fileSize, true, false);
    case exe::kFatCigam:
        return parseUniversal(head, fileSize, false, false);
    case exe::kFatMagic64:
        return parseUniversal(head, fileSize, true, true);
    case exe::kFatCigam64:
        return parseUniversal(head, fileSize, false, true);
    case exe::kMachMagic:
        return parseThin(head, fileSize, true, false);
    case exe::kMachCigam:
        return parseThin(head, fileSize, false, false);
    case exe::kMachMagic64:
        return parseThin(head, fileSize, true, true);
    case exe::kMachCigam64:
        return parseThin(head, fileSize, false, true);
    default:
        return malformed(ExecutableKind::None, QStringLiteral("not a Mach-O or ELF executable"));
    }
}

ExecutableInfo readExecutableInfo(const QString& path)
{
    qint64 fileSize = 0;
    QString error;
    const auto head = readFileHead(path, kMaxHeadBytes, &fileSize, &error);
    if (!head)
        return malformed(ExecutableKind::None, error);
    return parseExecutableHeader(*head, static_cast<std::uint64_t>(fileSize));
}

QString architectureName(std::int32_t cpuType)
{
    switch (cpuType) {
    case exe::kCpuTypeX86:
        return QStringLiteral("i386");
    case exe::kCpuTypeX86_64:
        return QStringLiteral("x86_64");
    case exe::kCpuTypePowerPC:
        return QStringLiteral("ppc");
    case exe::kCpuTypePowerPC64:
        return QStringLiteral("ppc64");
    case exe::kCpuTypeArm:
        return QStringLiteral("arm");
    case exe::kCpuTypeArm64:
        return QStringLiteral("arm64");
    default:
        return QString::number(cpuType);
    }
}

}  // namespace corvane
