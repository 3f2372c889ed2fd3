// Bounded reads and atomic writes.
#include "platform/foundation/FileIO.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace corvane;

TEST(FileIO, FilesWithoutASizeAreReadToTheirEnd)
{
    // /proc files report a size of zero; their content is still there.
    const auto status = readRegularFile(QStringLiteral("/proc/self/status"), 1 << 20);
    ASSERT_TRUE(status);
    EXPECT_TRUE(status->startsWith("Name:"));
    EXPECT_TRUE(status->contains("VmRSS") || status->contains("Threads"));
    const auto mounts = readRegularFile(QStringLiteral("/proc/self/mountinfo"), 1 << 22);
    ASSERT_TRUE(mounts);
    EXPECT_TRUE(mounts->contains(" / / ") || mounts->contains(" / "));
    EXPECT_FALSE(readRegularFile(QStringLiteral("/proc/self/status"), 10)) << "over the limit";
    const auto head = readFileHead(QStringLiteral("/proc/self/status"), 5);
    ASSERT_TRUE(head);
    EXPECT_EQ(*head, QByteArray("Name:"));
}

TEST(FileIO, LimitsAndAtomicReplacement)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data “x”.bin"));
    QString error;
    ASSERT_TRUE(writeFileAtomically(path, QByteArray(1000, 'a'), &error)) << error.toStdString();
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    ASSERT_TRUE(writeFileAtomically(path, QByteArray(10, 'b'), &error));
    EXPECT_EQ(readRegularFile(path, 10), QByteArray(10, 'b'));
    EXPECT_FALSE(readRegularFile(path, 9));
    // Replacing keeps the file's permissions (new files get 0644).
    EXPECT_TRUE(QFile::permissions(path) & QFileDevice::ReadOwner);
    EXPECT_FALSE(QFile::permissions(path) & QFileDevice::ReadOther);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
    EXPECT_FALSE(writeFileAtomically(dir.filePath(QStringLiteral("no/such/folder/x")), "x", &error));
    EXPECT_FALSE(error.isEmpty());
}
