#include "platform/foundation/PathNames.h"

namespace corvane {

namespace {

bool isAsciiLetter(UniChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool hasDrivePrefix(const UniChar* characters, CFIndex length)
{
    return length >= 2 && characters[1] == u':' && isAsciiLetter(characters[0]);
}

}  // namespace

CFIndex CFStartOfLastPathComponent(const UniChar* characters, CFIndex length)
{
    if (length < 2)
        return 0;
    for (CFIndex i = length - 1; i >= 1; --i) {
        if (characters[i - 1] == u'/')
            return i;
    }
    if (length >= 3 && hasDrivePrefix(characters, length))
        return 2;
    return 0;
}

CFIndex CFStartOfPathExtension(const UniChar* characters, CFIndex length)
{
    if (length < 2)
        return 0;
    CFIndex i = length - 1;
    for (; i >= 1; --i) {
        if (characters[i - 1] == u'/')
            return 0;
        if (characters[i] == u'.')
            break;
    }
    if (i == 0)
        return 0;
    if (i == 2 && hasDrivePrefix(characters, length))
        return 0;
    return i;
}

CFIndex CFLengthAfterDeletingPathExtension(const UniChar* characters, CFIndex length)
{
    const CFIndex start = CFStartOfPathExtension(characters, length);
    return start > 0 ? start : length;
}

}  // namespace corvane
