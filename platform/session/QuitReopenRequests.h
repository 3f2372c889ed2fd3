// Asking a running application to quit or to reopen, with its reply.
//
// Our own programs answer on the session bus (QuitReopenService.h): the
// reply of Quit is the program's error number. Other applications cannot
// answer, so they are asked the way the desktop asks: each of their windows
// is closed through the window manager (_NET_CLOSE_WINDOW), or, with no
// window, the process gets SIGTERM; their reply is their exit. Reopen of
// another application activates it (brings its windows back and forward).
//
// Results (status codes of platform/foundation):
//   noErr                the request went out (NoReply), or the target
//                        accepted / exited (WaitForReply);
//   any other number     a Quit reply's error number (the program refused);
//   procNotFound         no such process;
//   connectionInvalid    the target went away before it answered;
//   errAETimeout         no reply, or no exit, within the time-out;
//   errAEEventNotHandled this very process, which has no service to answer.
//
// Threading: main thread. WaitForReply blocks the caller until the reply,
// the exit or the time-out, as a modal request does.
#pragma once

#include "platform/foundation/StatusCodes.h"
#include "platform/processes/SerialNumber.h"

#include <QString>

#include <sys/types.h>
#include <chrono>

namespace corvane::session {

class RunningApplications;

enum class ReplyMode { NoReply, WaitForReply };

inline constexpr std::chrono::milliseconds kDefaultReplyTimeout{60000};

// The bus name of pid's quit-and-reopen service when pid registered one
// (the owner of the name is checked to be pid); empty otherwise.
QString verifiedQuitReopenBusName(pid_t pid);

// Whether the process the serial number named has ended (a zombie counts
// as ended: it runs no more).
bool hasExited(const SerialNumber& serial);

// Asks the application to quit. session closes the windows of applications
// that do not answer on the bus; it may be null, which makes them get
// SIGTERM.
OSStatus requestQuit(const SerialNumber& serial, ReplyMode mode, RunningApplications* session,
                     std::chrono::milliseconds timeout = kDefaultReplyTimeout);

// Asks the application to reopen. Our programs answer on the bus (their
// reply is waited for with WaitForReply); others are activated through
// session (nothing happens for them when session is null).
OSStatus requestReopen(const SerialNumber& serial, ReplyMode mode, RunningApplications* session,
                       std::chrono::milliseconds timeout = kDefaultReplyTimeout);

}  // namespace corvane::session
