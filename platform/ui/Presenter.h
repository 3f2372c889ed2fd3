// The presenter: the one place where modal alerts and panels meet the user.
// The program installs the widgets' presenter at start; a test installs its
// own (RecordingPresenter) to see what would be shown and to answer it.
//
// Threads: presenters run on the main thread. runAlertThroughPresenter()
// may be called from any thread: off the main thread it queues the alert to
// the main thread and waits for the answer (so the main thread must not be
// waiting for the caller). Without an application object, or without a
// presenter, an alert is written to standard error and answered with its
// first button; a panel is cancelled.
#pragma once

#include "platform/ui/Alert.h"

namespace corvane::ui {

class OpenPanel;
class SavePanel;

class Presenter {
public:
    virtual ~Presenter();
    virtual AlertResponse runAlert(const Alert& alert) = 0;
    // Shows panel and, when the user confirms, calls panel.confirm() with
    // the chosen paths. Returns NSModalResponseOK or NSModalResponseCancel.
    virtual int runSavePanel(SavePanel& panel) = 0;
    virtual int runOpenPanel(OpenPanel& panel) = 0;
};

// The installed presenter (not owned), or null.
Presenter* currentPresenter();
// Installs presenter (null removes it); returns the one it replaces.
Presenter* setPresenter(Presenter* presenter);

// Installs a presenter for one scope and puts the previous one back.
class ScopedPresenter {
public:
    explicit ScopedPresenter(Presenter* presenter) : previous_(setPresenter(presenter)) {}
    ~ScopedPresenter() { setPresenter(previous_); }
    ScopedPresenter(const ScopedPresenter&) = delete;
    ScopedPresenter& operator=(const ScopedPresenter&) = delete;

private:
    Presenter* previous_;
};

AlertResponse runAlertThroughPresenter(const Alert& alert);

}  // namespace corvane::ui
