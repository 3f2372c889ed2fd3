// The small /proc record parsers on real-looking and hostile text, and the
// single-read file primitive on the special files a hostile tree could hold.
#include "platform/processes/ProcFiles.h"
#include "platform/processes/ProcStat.h"
#include "tests/processes/ProcTree.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <sys/stat.h>
#include <array>
#include <cerrno>

using namespace corvane;
using namespace corvane::proc;

TEST(ProcFiles, MemTotalFromMeminfo)
{
    EXPECT_EQ(parseMemTotal("MemTotal:       24683312 kB\nMemFree: 1 kB\n"), 24683312ull * 1024);
    EXPECT_EQ(parseMemTotal("MemFree: 1 kB\nMemTotal:\t2048 kB"), 2048ull * 1024)
        << "anywhere in the text, tab-separated, last line unterminated";
    for (const char* bad : {"", "MemFree: 5 kB\n", "MemTotal: kB\n", "MemTotal: 12 MB\n",
                            "MemTotal: -5 kB\n", "MemTotal: 99999999999999999999 kB\n",
                            "MemTotal: 18014398509481984 kB\n", " MemTotal: 5 kB\n"})
        EXPECT_FALSE(parseMemTotal(bad)) << bad;
}

TEST(ProcFiles, EffectiveUserFromStatus)
{
    EXPECT_EQ(parseEffectiveUid("Name:\tx\nUid:\t1000\t0\t0\t0\nGid:\t5\n"), 0u)
        << "the second number, not the real user";
    EXPECT_EQ(parseEffectiveUid("Uid:\t0\t65534\t65534\t65534"), 65534u);
    for (const char* bad : {"", "Uid:\n", "Uid:\t5\n", "Uid:\tx\t5\n", "Gid:\t1\t2\n"})
        EXPECT_FALSE(parseEffectiveUid(bad)) << bad;
}

TEST(ProcFiles, WordSizeFromElfClass)
{
    EXPECT_EQ(wordSizeFromElfIdentification("\x7f"
                                            "ELF\x02\x01\x01"),
              WordSize::Bits64);
    EXPECT_EQ(wordSizeFromElfIdentification("\x7f"
                                            "ELF\x01"),
              WordSize::Bits32);
    EXPECT_EQ(wordSizeFromElfIdentification("\x7f"
                                            "ELF\x03"),
              WordSize::Unknown);
    EXPECT_EQ(wordSizeFromElfIdentification("\x7f"
                                            "ELF"),
              WordSize::Unknown)
        << "cut short";
    EXPECT_EQ(wordSizeFromElfIdentification("#!/bin/sh\n"), WordSize::Unknown);
    EXPECT_EQ(wordSizeFromElfIdentification(QByteArrayView("\xcf\xfa\xed\xfe\x07", 5)),
              WordSize::Unknown)
        << "Mach-O is not run here";
}

TEST(ProcFiles, OnlyPlainIdentifiersNameProcesses)
{
    EXPECT_EQ(identifierFromName("1"), 1);
    EXPECT_EQ(identifierFromName("4194304"), 4194304);
    for (const char* bad : {"", "0", "01", "-3", "+3", "self", "3a", "99999999999", "thread-self"})
        EXPECT_FALSE(identifierFromName(bad)) << bad;
}

TEST(ProcFiles, PathsThatWouldNotFitAreRefused)
{
    ProcPath fits("/proc");
    EXPECT_STREQ(fits.forThread(12, 34, "/stat"), "/proc/12/task/34/stat");
    EXPECT_STREQ(fits.forRoot("/meminfo"), "/proc/meminfo");
    ProcPath tooLong(QByteArray(5000, 'a'));
    EXPECT_EQ(tooLong.forProcess(1, "/stat"), nullptr);
    EXPECT_EQ(readProcFile(nullptr, nullptr, 0).error, ENAMETOOLONG);
}

TEST(ProcFiles, SpecialFilesNeitherBlockNorOverflow)
{
    fixtures::ProcTree tree;
    ASSERT_TRUE(tree.isValid());
    const QByteArray fifo = QFile::encodeName(tree.path(QStringLiteral("fifo")));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    tree.makeFolder(QStringLiteral("folder"));

    std::array<char, 64> buffer;
    QElapsedTimer clock;
    clock.start();
    const ReadOutcome fromFifo = readProcFile(fifo.constData(), buffer.data(), buffer.size());
    EXPECT_LT(clock.elapsed(), 1000) << "a FIFO without a writer must not block";
    EXPECT_TRUE(!fromFifo.ok() || fromFifo.size == 0);

    const ReadOutcome fromFolder =
        readProcFile(QFile::encodeName(tree.path(QStringLiteral("folder"))).constData(),
                     buffer.data(), buffer.size());
    EXPECT_EQ(fromFolder.error, EISDIR);

    const ReadOutcome fromZero = readProcFile("/dev/zero", buffer.data(), buffer.size());
    EXPECT_EQ(fromZero.size, 64) << "an endless file fills the buffer once";
    EXPECT_EQ(readProcFile("/nonexistent/x", buffer.data(), buffer.size()).error, ENOENT);
}
