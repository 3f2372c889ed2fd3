// Status codes: the 32-bit results that platform calls return, with the short
// descriptive comment the error presentation shows as a recovery suggestion.
#pragma once

#include <QString>

#include <cstdint>

namespace corvane {

using OSStatus = std::int32_t;

namespace status {
constexpr OSStatus noErr = 0;
constexpr OSStatus nsvErr = -35;
constexpr OSStatus ioErr = -36;
constexpr OSStatus bdNamErr = -37;
constexpr OSStatus fnfErr = -43;
constexpr OSStatus wPrErr = -44;
constexpr OSStatus fBsyErr = -47;
constexpr OSStatus dupFNErr = -48;
constexpr OSStatus paramErr = -50;
constexpr OSStatus permErr = -54;
constexpr OSStatus memFullErr = -108;
constexpr OSStatus dirNFErr = -120;
constexpr OSStatus userCanceledErr = -128;
constexpr OSStatus procNotFound = -600;
constexpr OSStatus connectionInvalid = -609;
constexpr OSStatus errFSNoMoreItems = -1417;
constexpr OSStatus errAEEventNotHandled = -1708;
constexpr OSStatus errAETimeout = -1712;
constexpr OSStatus afpAccessDenied = -5000;
constexpr OSStatus kLSAppInTrashErr = -10660;
constexpr OSStatus kLSExecutableIncorrectFormat = -10661;
constexpr OSStatus kLSUnknownErr = -10810;
constexpr OSStatus kLSNotAnApplicationErr = -10811;
constexpr OSStatus kLSDataUnavailableErr = -10813;
constexpr OSStatus kLSApplicationNotFoundErr = -10814;
constexpr OSStatus kLSUnknownTypeErr = -10815;
constexpr OSStatus kLSLaunchInProgressErr = -10818;
constexpr OSStatus kLSServerCommunicationErr = -10822;
constexpr OSStatus kLSIncompatibleSystemVersionErr = -10825;
constexpr OSStatus kLSNoExecutableErr = -10827;
constexpr OSStatus kLSMultipleSessionsNotSupportedErr = -10829;
constexpr OSStatus errAuthorizationDenied = -60005;
constexpr OSStatus errAuthorizationCanceled = -60006;
}  // namespace status

// The descriptive comment for a status, or an empty string when the platform
// has none (the caller then shows the code alone).
QString statusComment(OSStatus code);

// The symbolic name of a status ("fnfErr"), or an empty string.
QString statusName(OSStatus code);

// The status that best describes a failed system call's error number.
OSStatus statusFromErrno(int errorNumber);

}  // namespace corvane
