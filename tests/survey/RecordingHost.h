// A survey host that records what the survey showed, for tests.
#pragma once

#include "survey/engine/SurveyHost.h"

#include <QStringList>

#include <atomic>

namespace corvane::survey::test {

class RecordingHost : public SurveyHost {
public:
    QString windowTitle() const override { return QStringLiteral("Corvane"); }
    void setWindowTitle(const QString& t) override
    {
        title = t;
        calls << QStringLiteral("title:") + t;
    }
    void setRepresentedURL(const QUrl& url) override { representedURL = url; }
    void showWindow() override { calls << QStringLiteral("show"); }
    void startProgress() override { calls << QStringLiteral("start"); }
    void stopProgress() override { calls << QStringLiteral("stop"); }
    void showStatusText() override { calls << QStringLiteral("status"); }
    void classificationProgress(int, int) override { ++progressCalls; }
    void presentStatus(OSStatus status) override { presented << status; }
    void incompatibleSystemAlert() override { ++alerts; }

    QString title;
    QUrl representedURL;
    QStringList calls;
    QList<OSStatus> presented;
    int alerts = 0;
    std::atomic<int> progressCalls{0};
};

}  // namespace corvane::survey::test
