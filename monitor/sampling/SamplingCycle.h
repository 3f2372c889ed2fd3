// The sampling cycle of the monitor: a repeating timer that keeps the
// process information dictionary current, following the frontmost
// application or holding one process, at the update frequency the user
// chose. These are the monitor controller's sampling fields and actions; the
// controller owns one cycle for the life of the program.
//
// States. Following (renewProcessPID 1): each tick asks the directory for
// the frontmost application; while it is the one in the dictionary (same
// serial number) only the two load figures are refreshed, otherwise the
// dictionary is filled anew for it. Holding (0): each tick refreshes the
// load figures of the process in the dictionary; when that fails (the
// process has ended, or a thread ended during the sample) the cycle
// follows the frontmost application again from the next tick on.
//
// Everything runs on the thread that owns the cycle (the main thread); the
// timer is a Qt timer of that thread, so a tick never overlaps a menu action
// or another tick.
#pragma once

#include "monitor/sampling/ProcessInformation.h"
#include "platform/ui/ObservableDictionary.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <span>

namespace corvane::sampling {

// The update frequencies of the monitor menu: tag, title, interval.
struct UpdateFrequency {
    int tag;
    const char* title;
    double interval;  // seconds
};
std::span<const UpdateFrequency> updateFrequencies();
// The interval for a menu tag; tags outside 1 to 4 give 1.0 s.
double intervalForTag(int tag);

inline constexpr double kInitialInterval = 1.0;

// What validation says of a menu item: enabled, and whether it has a check mark.
struct MenuItemState {
    bool enabled = true;
    bool checked = false;
};

class SamplingCycle : public QObject {
    Q_OBJECT

public:
    // The sampler and the directory are not owned and must outlive the cycle.
    SamplingCycle(ProcessSampler& sampler, const ApplicationDirectory& directory,
                  QObject* parent = nullptr);
    ~SamplingCycle() override;

    // Starts sampling, once: schedules the repeating timer (1.0 s), fills the
    // dictionary with keys 0 to 8 holding the null marker, follows the
    // frontmost application, and runs the first tick at once.
    void startSampling();

    // The facts of the watched process; created with the cycle, never
    // replaced. Panels and menus observe its keys.
    ui::ObservableDictionary& processDictionary() { return processDictionary_; }
    const ui::ObservableDictionary& processDictionary() const { return processDictionary_; }

    // 1 while following the frontmost application, 0 while holding.
    std::int64_t renewProcessPID() const { return renewProcessPID_; }

    // The sampling timer (a child of the cycle; null before startSampling)
    // and its interval in seconds. A replaced timer is stopped at once and
    // deleted when control returns to the event loop, so replacing it from
    // inside a tick is safe.
    QTimer* repeatingTimer() const { return repeatingTimer_; }
    double timeInterval() const { return interval_; }

    // The tick: the timer's action.
    void updateProcessInfo();
    // "Update Frequency" items: a new repeating timer with the tag's
    // interval replaces the current one; the next sample comes one interval
    // later.
    void stopRepeatingTimer(int tag);
    // "Hold Process": renewProcessPID becomes the item's state as displayed
    // when it was chosen (checked: 1, follow again; unchecked: 0, hold).
    void setRenewProcessPID(bool itemWasChecked);

    // Validation: "Hold Process" is checked exactly while holding; an
    // "Update Frequency" item exactly when the timer's interval is its own.
    MenuItemState holdProcessItemState() const;
    MenuItemState updateFrequencyItemState(int tag) const;

Q_SIGNALS:
    // After every tick, whatever it changed.
    void processInfoUpdated();

private:
    void replaceTimer(double interval);

    ProcessSampler& sampler_;
    const ApplicationDirectory& directory_;
    ui::ObservableDictionary processDictionary_;
    std::int64_t renewProcessPID_ = 1;
    QTimer* repeatingTimer_ = nullptr;
    double interval_ = kInitialInterval;
};

}  // namespace corvane::sampling
