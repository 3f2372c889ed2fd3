#include "platform/foundation/StatusCodes.h"

#include <cerrno>
#include <iterator>

namespace corvane {

namespace {

struct StatusEntry {
    OSStatus code;
    const char* name;
    const char* comment;
};

// Kept in order of code, so a reader finds neighbours together.
constexpr StatusEntry kStatusTable[] = {
    {status::errAuthorizationCanceled, "errAuthorizationCanceled",
     "The authorization was canceled by the user."},
    {status::errAuthorizationDenied, "errAuthorizationDenied", "The authorization was denied."},
    {status::kLSMultipleSessionsNotSupportedErr, "kLSMultipleSessionsNotSupportedErr",
     "The application cannot run in more than one session at once."},
    {status::kLSNoExecutableErr, "kLSNoExecutableErr",
     "The application's executable could not be found."},
    {status::kLSIncompatibleSystemVersionErr, "kLSIncompatibleSystemVersionErr",
     "The application cannot run on this version of the system."},
    {status::kLSServerCommunicationErr, "kLSServerCommunicationErr",
     "The application registry could not be reached."},
    {status::kLSLaunchInProgressErr, "kLSLaunchInProgressErr",
     "The application is already being launched."},
    {status::kLSUnknownTypeErr, "kLSUnknownTypeErr",
     "The type of the item could not be determined."},
    {status::kLSApplicationNotFoundErr, "kLSApplicationNotFoundErr",
     "No application could be found for the item."},
    {status::kLSDataUnavailableErr, "kLSDataUnavailableErr",
     "The requested information is not available."},
    {status::kLSNotAnApplicationErr, "kLSNotAnApplicationErr", "The item is not an application."},
    {status::kLSUnknownErr, "kLSUnknownErr", "An unknown application registry error occurred."},
    {status::kLSExecutableIncorrectFormat, "kLSExecutableIncorrectFormat",
     "The application's executable is not in a format this system can run."},
    {status::kLSAppInTrashErr, "kLSAppInTrashErr", "The application is in the Trash."},
    {status::afpAccessDenied, "afpAccessDenied", "Access to the item was denied."},
    {status::errAETimeout, "errAETimeout", "The application did not reply in time."},
    {status::errAEEventNotHandled, "errAEEventNotHandled",
     "The application did not handle the request."},
    {status::errFSNoMoreItems, "errFSNoMoreItems", "There are no more items to list."},
    {status::connectionInvalid, "connectionInvalid", "The connection to the application was lost."},
    {status::procNotFound, "procNotFound", "No such process is running."},
    {status::userCanceledErr, "userCanceledErr", "The operation was canceled by the user."},
    {status::dirNFErr, "dirNFErr", "The folder could not be found."},
    {status::memFullErr, "memFullErr", "Not enough memory is available."},
    {status::permErr, "permErr", "You do not have permission to use the item."},
    {status::paramErr, "paramErr", "A parameter was not valid."},
    {status::dupFNErr, "dupFNErr", "An item with that name already exists."},
    {status::fBsyErr, "fBsyErr", "The item is in use."},
    {status::wPrErr, "wPrErr", "The disk is write-protected."},
    {status::fnfErr, "fnfErr", "The item could not be found."},
    {status::bdNamErr, "bdNamErr", "The name is not valid for this file system."},
    {status::ioErr, "ioErr", "An input/output error occurred."},
    {status::nsvErr, "nsvErr", "The volume could not be found."},
    {status::noErr, "noErr", "No error."},
};

const StatusEntry* findStatus(OSStatus code)
{
    for (const StatusEntry& e : kStatusTable) {
        if (e.code == code)
            return &e;
    }
    return nullptr;
}

}  // namespace

QString statusComment(OSStatus code)
{
    const StatusEntry* e = findStatus(code);
    return e ? QString::fromUtf8(e->comment) : QString();
}

QString statusName(OSStatus code)
{
    const StatusEntry* e = findStatus(code);
    return e ? QString::fromUtf8(e->name) : QString();
}

OSStatus statusFromErrno(int errorNumber)
{
    switch (errorNumber) {
    case 0:
        return status::noErr;
    case ENOENT:
        return status::fnfErr;
    case ENOTDIR:
        return status::dirNFErr;
    case EACCES:
    case EPERM:
        return status::afpAccessDenied;
    case EROFS:
        return status::wPrErr;
    case EEXIST:
    case ENOTEMPTY:
        return status::dupFNErr;
    case EBUSY:
    case ETXTBSY:
        return status::fBsyErr;
    case ENAMETOOLONG:
    case EILSEQ:
        return status::bdNamErr;
    case ENOMEM:
        return status::memFullErr;
    case EINVAL:
        return status::paramErr;
    case ENODEV:
    case ENXIO:
        return status::nsvErr;
    case ESRCH:
        return status::procNotFound;
    case ETIMEDOUT:
        return status::errAETimeout;
    default:
        return status::ioErr;
    }
}

}  // namespace corvane
