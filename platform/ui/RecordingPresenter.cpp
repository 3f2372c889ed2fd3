#include "platform/ui/RecordingPresenter.h"

namespace corvane::ui {

void RecordingPresenter::answerAlert(int button, bool suppressionOn)
{
    answerAlertWith([button, suppressionOn](const Alert&) {
        return AlertResponse{button, suppressionOn};
    });
}

void RecordingPresenter::answerAlertWith(AlertAnswer answer)
{
    alertAnswers_.push_back(std::move(answer));
}

void RecordingPresenter::answerPanelWithPaths(const QStringList& paths)
{
    answerPanelWith([paths](SavePanel& panel) {
        return panel.confirm(paths) ? NSModalResponseOK : NSModalResponseCancel;
    });
}

void RecordingPresenter::cancelNextPanel()
{
    answerPanelWith([](SavePanel&) { return NSModalResponseCancel; });
}

void RecordingPresenter::answerPanelWith(PanelAnswer answer)
{
    panelAnswers_.push_back(std::move(answer));
}

AlertResponse RecordingPresenter::runAlert(const Alert& alert)
{
    alerts_.append(alert);
    if (alertAnswers_.empty())
        return AlertResponse{NSAlertFirstButtonReturn, alert.suppressionButtonInitiallyOn};
    const AlertAnswer answer = std::move(alertAnswers_.front());
    alertAnswers_.pop_front();
    AlertResponse response = answer(alert);
    // A button that the alert does not have cannot be clicked.
    const int count = int(alert.effectiveButtons().size());
    if (response.button < NSAlertFirstButtonReturn ||
        response.button >= NSAlertFirstButtonReturn + count)
        response.button = NSAlertFirstButtonReturn;
    if (!alert.showsSuppressionButton)
        response.suppressionButtonOn = false;
    return response;
}

int RecordingPresenter::runSavePanel(SavePanel& panel)
{
    return runPanel(panel, nullptr);
}

int RecordingPresenter::runOpenPanel(OpenPanel& panel)
{
    return runPanel(panel, &panel);
}

int RecordingPresenter::runPanel(SavePanel& panel, const OpenPanel* open)
{
    ShownPanel shown;
    shown.openPanel = open != nullptr;
    shown.title = panel.title();
    shown.message = panel.message();
    shown.prompt = panel.prompt();
    shown.directory = panel.directoryURL();
    shown.nameField = panel.nameFieldStringValue();
    shown.allowedFileTypes = panel.allowedFileTypes();
    shown.hasAccessoryView = panel.accessoryView() != nullptr;
    shown.canCreateDirectories = panel.canCreateDirectories();
    if (open) {
        shown.canChooseFiles = open->canChooseFiles();
        shown.canChooseDirectories = open->canChooseDirectories();
        shown.allowsMultipleSelection = open->allowsMultipleSelection();
    }
    panels_.append(shown);
    if (panelAnswers_.empty())
        return NSModalResponseCancel;
    const PanelAnswer answer = std::move(panelAnswers_.front());
    panelAnswers_.pop_front();
    return answer(panel);
}

}  // namespace corvane::ui
