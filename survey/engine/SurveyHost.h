// What a survey needs from whatever shows it: the survey window, or the
// command-line companion. Every call comes on the main thread, except
// incompatibleSystemAlert, which the classifying worker makes (MyModel
// forwards it to the main thread and waits).
#pragma once

#include "platform/foundation/StatusCodes.h"

#include <QString>
#include <QUrl>

namespace corvane::survey {

class SurveyHost {
public:
    virtual ~SurveyHost() = default;

    // The window's title as it was loaded; kept to rebuild titles.
    virtual QString windowTitle() const = 0;
    virtual void setWindowTitle(const QString& title) = 0;
    virtual void setRepresentedURL(const QUrl& url) = 0;
    // The window comes to the front and becomes key.
    virtual void showWindow() = 0;

    virtual void startProgress() = 0;
    virtual void stopProgress() = 0;
    // The status text under the list becomes visible.
    virtual void showStatusText() = 0;
    // Discovery progress: folders read so far by a volume search or walk.
    virtual void discoveryProgress(quint64 foldersRead) { Q_UNUSED(foldersRead); }
    // Classification progress; called on the worker thread.
    virtual void classificationProgress(int done, int total)
    {
        Q_UNUSED(done);
        Q_UNUSED(total);
    }

    // An error of the status-code domain, with the status's comment as the
    // recovery suggestion, presented application-modally.
    virtual void presentStatus(OSStatus status) = 0;
    // The incompatible-system alert, modal; returns when dismissed.
    virtual void incompatibleSystemAlert() = 0;
};

}  // namespace corvane::survey
