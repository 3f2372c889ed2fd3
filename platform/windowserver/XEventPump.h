// Delivers the events of an X connection to one handler, from Qt's event
// loop: when the connection's socket has data, and before the loop sleeps
// (events that arrived while a reply was awaited wait in xcb's queue, where
// the socket no longer shows them).
//
// Threading: the thread of the connection, which must run a Qt event loop
// for events to arrive by themselves.
#pragma once

#include "platform/windowserver/XConnection.h"

#include <QObject>
#include <QSocketNotifier>

#include <chrono>
#include <functional>

namespace corvane::windowserver {

class XEventPump : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<void(const xcb_generic_event_t& event)>;
    using Match = std::function<bool(const xcb_generic_event_t& event)>;

    // x must outlive the pump. handler sees every event (errors of requests
    // that were not checked included); it must not destroy the pump.
    XEventPump(XConnection& x, Handler handler, QObject* parent = nullptr);

    // Handles every event that has arrived.
    void dispatchPending();

    // Waits at most timeout for an event that match accepts, handling the
    // events that come before it. Returns whether such an event came (it is
    // not given to the handler).
    bool waitFor(const Match& match, std::chrono::milliseconds timeout);

private:
    XConnection& x_;
    Handler handler_;
    QSocketNotifier notifier_;
};

}  // namespace corvane::windowserver
