// The architectures an executable file holds, as CPU type numbers: one per
// slice of a universal Mach-O file, the one of a thin Mach-O file, or the one
// an ELF header names (EM_386 -> 7, EM_X86_64 -> 16777223, EM_PPC -> 18).
//
// Reads are bounded by the file: a header that claims more than the file
// holds, or slices that overlap the header or run past the end, make the file
// malformed. Malformed, truncated and non-executable files (scripts, text,
// folders, devices) give no architectures; nothing is ever allocated beyond
// the size of the file's headers.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace corvane {

enum class ExecutableKind { None, MachOThin, MachOUniversal, Elf };

struct ExecutableInfo {
    ExecutableKind kind = ExecutableKind::None;
    std::vector<std::int32_t> architectures;  // in file order
    QString problem;                          // why a file gave nothing, for diagnostics
};

// Reads the header of the file at path.
ExecutableInfo readExecutableInfo(const QString& path);

// Decodes the headers of an executable given its first bytes and the whole
// file's size (head may be shorter than the file).
ExecutableInfo parseExecutableHeader(const QByteArray& head, std::uint64_t fileSize);

inline std::vector<std::int32_t> executableArchitectures(const QString& path)
{
    return readExecutableInfo(path).architectures;
}

// "i386", "x86_64", "ppc", "ppc64", "arm", "arm64" or the number.
QString architectureName(std::int32_t cpuType);

}  // namespace corvane
