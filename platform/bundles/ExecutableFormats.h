// Constants of the executable formats whose architectures bundles report:
// Mach-O (thin and universal) and ELF. Kept apart from the reader so tests
// and fixture builders share them.
#pragma once

#include <cstdint>

namespace corvane::exe {

// Mach-O magic numbers as they read from the first four bytes in big-endian
// order; the byte-swapped ("cigam") forms are the same files written in the
// other byte order.
inline constexpr std::uint32_t kFatMagic = 0xCAFEBABE;
inline constexpr std::uint32_t kFatCigam = 0xBEBAFECA;
inline constexpr std::uint32_t kFatMagic64 = 0xCAFEBABF;
inline constexpr std::uint32_t kFatCigam64 = 0xBFBAFECA;
inline constexpr std::uint32_t kMachMagic = 0xFEEDFACE;
inline constexpr std::uint32_t kMachCigam = 0xCEFAEDFE;
inline constexpr std::uint32_t kMachMagic64 = 0xFEEDFACF;
inline constexpr std::uint32_t kMachCigam64 = 0xCFFAEDFE;

inline constexpr std::uint32_t kFatHeaderSize = 8;
inline constexpr std::uint32_t kFatArchSize = 20;    // cputype, cpusubtype, offset, size, align
inline constexpr std::uint32_t kFatArch64Size = 32;  // 64-bit offset and size, align, reserved
inline constexpr std::uint32_t kMachHeaderSize = 28;
inline constexpr std::uint32_t kMachHeader64Size = 32;

// CPU type numbers.
inline constexpr std::int32_t kCpuArchAbi64 = 0x01000000;
inline constexpr std::int32_t kCpuTypeX86 = 7;  // i386
inline constexpr std::int32_t kCpuTypeX86_64 = kCpuTypeX86 | kCpuArchAbi64;
inline constexpr std::int32_t kCpuTypeArm = 12;
inline constexpr std::int32_t kCpuTypeArm64 = kCpuTypeArm | kCpuArchAbi64;
inline constexpr std::int32_t kCpuTypePowerPC = 18;
inline constexpr std::int32_t kCpuTypePowerPC64 = kCpuTypePowerPC | kCpuArchAbi64;

inline constexpr std::int32_t kCpuSubtypeI386All = 3;
inline constexpr std::int32_t kCpuSubtypeX86_64All = 3;
inline constexpr std::int32_t kCpuSubtypePowerPCAll = 0;

inline constexpr std::uint32_t kMachExecute = 2;  // MH_EXECUTE file type

// ELF identification and machine numbers.
inline constexpr unsigned char kElfMagic[4] = {0x7F, 'E', 'L', 'F'};
inline constexpr unsigned kElfClass32 = 1;
inline constexpr unsigned kElfClass64 = 2;
inline constexpr unsigned kElfDataLittle = 1;
inline constexpr unsigned kElfDataBig = 2;
inline constexpr std::uint32_t kElfHeader32Size = 52;
inline constexpr std::uint32_t kElfHeader64Size = 64;
inline constexpr std::uint16_t kElfTypeExecutable = 2;
inline constexpr std::uint16_t kElfTypeShared = 3;
inline constexpr std::uint16_t kElfMachine386 = 3;
inline constexpr std::uint16_t kElfMachinePowerPC = 20;
inline constexpr std::uint16_t kElfMachinePowerPC64 = 21;
inline constexpr std::uint16_t kElfMachineArm = 40;
inline constexpr std::uint16_t kElfMachineX86_64 = 62;
inline constexpr std::uint16_t kElfMachineAArch64 = 183;

}  // namespace corvane::exe
