// The stat-line parser on hostile names and cut lines, and serial numbers of
// real processes.
#include "platform/processes/ProcStat.h"
#include "platform/processes/SerialNumber.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

using namespace corvane;

namespace {

QByteArray statLine(const QByteArray& name)
{
    // Fields 3 to 24 of a real line, with utime 250, stime 40, 7 threads,
    // start time 123456 and 900 resident pages.
    return "4242 (" + name +
           ") S 1 4242 4242 0 -1 4194560 1000 0 0 0 250 40 0 0 20 0 7 0 123456 100000000 900 "
           "18446744073709551615 1 1 0 0 0 0 0 0 0 0 0 0 17 1 0 0 0 0 0\n";
}

}  // namespace

TEST(ProcStat, ParsesNamesWithSpacesAndParentheses)
{
    for (const QByteArray& name : {QByteArray("bash"), QByteArray("Web Content"),
                                   QByteArray("a) S 9 (b"), QByteArray(""), QByteArray("))")}) {
        const auto f = proc::parseStat(statLine(name));
        ASSERT_TRUE(f) << name.toStdString();
        EXPECT_EQ(f->pid, 4242);
        EXPECT_EQ(f->name, name);
        EXPECT_EQ(f->state, 'S');
        EXPECT_EQ(f->parent, 1);
        EXPECT_EQ(f->userTicks, 250u);
        EXPECT_EQ(f->systemTicks, 40u);
        EXPECT_EQ(f->threadCount, 7);
        EXPECT_EQ(f->startTicks, 123456u);
        EXPECT_EQ(f->residentPages, 900);
    }
}

TEST(ProcStat, RefusesCutAndCorruptLines)
{
    const QByteArray good = statLine("x");
    // Cut anywhere before the last field read (resident pages) begins.
    for (qsizetype n = 0; n <= good.indexOf(" 900 "); ++n)
        EXPECT_FALSE(proc::parseStat(good.left(n))) << "length " << n;
    QByteArray letters = good;
    letters.replace(" 250 ", " 2x0 ");
    EXPECT_FALSE(proc::parseStat(letters));
    EXPECT_FALSE(proc::parseStat("no parentheses at all"));
    EXPECT_FALSE(proc::parseStat("12 )backwards( S"));
}

TEST(ProcStat, ReadsRealProcessesAndNoticesTheirEnd)
{
    const auto self = proc::readStat(::getpid());
    ASSERT_TRUE(self);
    EXPECT_EQ(self->pid, ::getpid());
    EXPECT_GE(self->threadCount, 1);
    EXPECT_TRUE(proc::readStat(::getpid(), ::getpid())) << "the main thread's own stat";

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::pause();
        ::_exit(0);
    }
    const SerialNumber serial = SerialNumber::forProcess(child);
    EXPECT_TRUE(serial.isValid());
    EXPECT_EQ(serial.pid(), child);
    EXPECT_TRUE(serial.isRunning());
    EXPECT_NE(serial, SerialNumber::forProcess(::getpid()));

    ::kill(child, SIGKILL);
    // Ended but not collected: a zombie no longer counts as running.
    for (int i = 0; i < 200 && proc::readStat(child) && proc::readStat(child)->state != 'Z'; ++i)
        ::usleep(5000);
    EXPECT_FALSE(serial.isRunning());
    ::waitpid(child, nullptr, 0);
    EXPECT_FALSE(proc::readStat(child));
    EXPECT_FALSE(serial.isRunning());
    EXPECT_FALSE(SerialNumber::forProcess(child).isValid());
    EXPECT_FALSE(SerialNumber::forProcess(-1).isValid());
}

TEST(SerialNumber, SameProcessIdentifierLaterIsAnotherSerial)
{
    // A serial whose start time differs names another process, even with the
    // identifier of a running one.
    SerialNumber self = SerialNumber::forProcess(::getpid());
    ASSERT_TRUE(self.isRunning());
    SerialNumber stale = self;
    stale.high += 1;
    EXPECT_FALSE(stale.isRunning());
    EXPECT_NE(qHash(stale), qHash(self));
}

TEST(ProcStat, CountsTheFieldsOfCutLines)
{
    const QByteArray good = statLine("a b) (c");
    int found = -1;
    ASSERT_TRUE(proc::parseStat(good, &found));
    EXPECT_EQ(found, -1) << "only a refused line is counted";
    EXPECT_FALSE(proc::parseStat(good.left(good.indexOf(" 250 ")), &found));
    EXPECT_EQ(found, 13) << "cut after field 13 (cmajflt)";
    EXPECT_FALSE(proc::parseStat("4242 (name", &found));
    EXPECT_EQ(found, 1);
    EXPECT_FALSE(proc::parseStat("", &found));
    EXPECT_EQ(found, 0);
    QByteArray letters = good;
    letters.replace(" 900 ", " 9x0 ");
    EXPECT_FALSE(proc::parseStat(letters, &found));
    EXPECT_EQ(found, 44) << "whole, but a field is not a number";
}
