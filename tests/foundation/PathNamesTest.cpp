// Last path component and extension on raw UTF-16 buffers.
#include "platform/foundation/PathNames.h"

#include <gtest/gtest.h>

#include <QString>

#include <memory>

using namespace corvane;

namespace {

struct Expectation {
    const char16_t* path;
    CFIndex lastComponent;
    CFIndex extension;
    CFIndex lengthWithoutExtension;
};

// Copies the text into an exactly sized heap buffer, so that a read past
// the given length is caught by the address sanitizer.
std::unique_ptr<UniChar[]> exactBuffer(const QString& s)
{
    auto buffer =
        std::make_unique<UniChar[]>(static_cast<size_t>(std::max<qsizetype>(s.size(), 1)));
    for (qsizetype i = 0; i < s.size(); ++i)
        buffer[static_cast<size_t>(i)] = s.at(i).unicode();
    return buffer;
}

}  // namespace

TEST(PathNames, Examples)
{
    const Expectation cases[] = {
        {u"Tool.app", 0, 4, 4},
        {u"/usr/sbin/syslogd", 10, 0, 17},
        {u".hidden", 0, 0, 7},
        {u"/tmp/.hidden", 5, 0, 12},
        {u"/a.b/c", 5, 0, 6},
        {u"name.", 0, 4, 4},
        {u"dir/", 0, 0, 4},
        {u"/a/b/", 3, 0, 5},
        {u"C:x", 2, 0, 3},
        {u"C:.x", 2, 0, 4},
        {u"1:.x", 0, 2, 2},
        {u"/Applications/Café.app", 14, 18, 18},
        {u"archive.tar.gz", 0, 11, 11},
        {u"a/.b.c", 2, 4, 4},
        {u"", 0, 0, 0},
        {u"x", 0, 0, 1},
        {u"/", 0, 0, 1},
        {u".", 0, 0, 1},
    };
    for (const Expectation& e : cases) {
        const QString path = QString::fromUtf16(e.path);
        const auto buffer = exactBuffer(path);
        const CFIndex n = path.size();
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(CFStartOfLastPathComponent(buffer.get(), n), e.lastComponent);
        EXPECT_EQ(CFStartOfPathExtension(buffer.get(), n), e.extension);
        EXPECT_EQ(CFLengthAfterDeletingPathExtension(buffer.get(), n), e.lengthWithoutExtension);
    }
}

TEST(PathNames, OnlyTheGivenLengthIsRead)
{
    // The same buffer, cut shorter: characters beyond the length must not count.
    const QString path = QStringLiteral("/bin/tool.app/x");
    const auto buffer = exactBuffer(path);
    EXPECT_EQ(CFStartOfPathExtension(buffer.get(), 13), 9);  // "/bin/tool.app"
    EXPECT_EQ(CFStartOfLastPathComponent(buffer.get(), 13), 5);
    EXPECT_EQ(CFStartOfPathExtension(buffer.get(), 15), 0);  // up to "/x"
    EXPECT_EQ(CFLengthAfterDeletingPathExtension(buffer.get(), 4), 4);
}
