#include "platform/foundation/VersionCompare.h"

namespace corvane {

namespace {

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// Compares the digit runs starting at i and j by value without converting
// them (runs may be longer than any integer type) and moves past them.
int compareDigitRuns(const QString& a, qsizetype& i, const QString& b, qsizetype& j)
{
    while (i < a.size() && a.at(i) == u'0' && i + 1 < a.size() && isDigit(a.at(i + 1)))
        ++i;
    while (j < b.size() && b.at(j) == u'0' && j + 1 < b.size() && isDigit(b.at(j + 1)))
        ++j;
    qsizetype endA = i;
    qsizetype endB = j;
    while (endA < a.size() && isDigit(a.at(endA)))
        ++endA;
    while (endB < b.size() && isDigit(b.at(endB)))
        ++endB;
    int result = 0;
    if (endA - i != endB - j) {
        result = endA - i < endB - j ? -1 : 1;
    } else {
        for (qsizetype k = 0; k < endA - i && result == 0; ++k) {
            if (a.at(i + k) != b.at(j + k))
                result = a.at(i + k) < b.at(j + k) ? -1 : 1;
        }
    }
    i = endA;
    j = endB;
    return result;
}

}  // namespace

int compareVersions(const QString& first, const QString& second)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < first.size() && j < second.size()) {
        if (isDigit(first.at(i)) && isDigit(second.at(j))) {
            if (int r = compareDigitRuns(first, i, second, j))
                return r;
            continue;
        }
        if (first.at(i) != second.at(j))
            return first.at(i) < second.at(j) ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < first.size())
        return 1;
    if (j < second.size())
        return -1;
    return 0;
}

}  // namespace corvane
