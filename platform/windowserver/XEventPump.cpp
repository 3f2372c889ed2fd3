#include "platform/windowserver/XEventPump.h"

#include <QAbstractEventDispatcher>
#include <QThread>

#include <poll.h>
#include <cerrno>

namespace corvane::windowserver {

XEventPump::XEventPump(XConnection& x, Handler handler, QObject* parent)
    : QObject(parent),
      x_(x),
      handler_(std::move(handler)),
      notifier_(xcb_get_file_descriptor(x.xcb()), QSocketNotifier::Read)
{
    connect(&notifier_, &QSocketNotifier::activated, this, &XEventPump::dispatchPending);
    if (auto* dispatcher = QAbstractEventDispatcher::instance(thread()))
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &XEventPump::dispatchPending);
}

void XEventPump::dispatchPending()
{
    if (x_.hasError()) {
        notifier_.setEnabled(false);  // a broken connection stays readable forever
        return;
    }
    while (XReply<xcb_generic_event_t> event{xcb_poll_for_event(x_.xcb())})
        handler_(*event);
}

bool XEventPump::waitFor(const Match& match, std::chrono::milliseconds timeout)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    x_.flush();
    for (;;) {
        while (XReply<xcb_generic_event_t> event{xcb_poll_for_event(x_.xcb())}) {
            if (match(*event))
                return true;
            handler_(*event);
        }
        if (x_.hasError())
            return false;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        pollfd fd{xcb_get_file_descriptor(x_.xcb()), POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(left.count())) < 0 && errno != EINTR)
            return false;
    }
}

}  // namespace corvane::windowserver
