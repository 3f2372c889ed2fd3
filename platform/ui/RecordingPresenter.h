// A presenter for tests and for runs without a display: it records every
// alert and panel it is asked to show and answers from a queue of answers
// given in advance. When the queue is empty an alert gets its first button
// and a panel is cancelled. Main thread only (alerts from other threads are
// brought to the main thread by runAlertThroughPresenter()).
#pragma once

#include "platform/ui/Panels.h"
#include "platform/ui/Presenter.h"

#include <QList>
#include <QStringList>
#include <QUrl>

#include <deque>
#include <functional>

namespace corvane::ui {

class RecordingPresenter : public Presenter {
public:
    // What a panel looked like when it was shown.
    struct ShownPanel {
        bool openPanel = false;
        QString title;
        QString message;
        QString prompt;
        QUrl directory;
        QString nameField;
        QStringList allowedFileTypes;
        bool hasAccessoryView = false;
        bool canChooseFiles = false;
        bool canChooseDirectories = false;
        bool allowsMultipleSelection = false;
        bool canCreateDirectories = false;
    };

    using AlertAnswer = std::function<AlertResponse(const Alert&)>;
    // Returns the response; calls panel.confirm() itself when confirming.
    using PanelAnswer = std::function<int(SavePanel& panel)>;

    void answerAlert(int button, bool suppressionOn = false);
    void answerAlertWith(AlertAnswer answer);
    // Confirms the next panel with paths (cancelled when the panel refuses
    // them, as a real panel would not let them be chosen).
    void answerPanelWithPaths(const QStringList& paths);
    void cancelNextPanel();
    void answerPanelWith(PanelAnswer answer);

    const QList<Alert>& alerts() const { return alerts_; }
    const QList<ShownPanel>& panels() const { return panels_; }
    int pendingAnswers() const { return int(alertAnswers_.size() + panelAnswers_.size()); }

    AlertResponse runAlert(const Alert& alert) override;
    int runSavePanel(SavePanel& panel) override;
    int runOpenPanel(OpenPanel& panel) override;

private:
    int runPanel(SavePanel& panel, const OpenPanel* open);

    QList<Alert> alerts_;
    QList<ShownPanel> panels_;
    std::deque<AlertAnswer> alertAnswers_;
    std::deque<PanelAnswer> panelAnswers_;
};

}  // namespace corvane::ui
