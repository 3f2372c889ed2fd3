// The survey's host in a terminal: errors and alerts as lines on standard
// error, and a progress line there while a long survey runs, when standard
// error is a terminal.
#pragma once

#include "survey/engine/SurveyHost.h"

#include <QTextStream>

#include <mutex>

namespace corvane::cli {

class ConsoleHost : public survey::SurveyHost {
public:
    explicit ConsoleHost(QTextStream& err);
    ~ConsoleHost() override;

    QString windowTitle() const override { return QStringLiteral("Corvane"); }
    void setWindowTitle(const QString& title) override { title_ = title; }
    void setRepresentedURL(const QUrl&) override {}
    void showWindow() override {}
    void startProgress() override;
    void stopProgress() override;
    void showStatusText() override {}
    void discoveryProgress(quint64 foldersRead) override;
    void classificationProgress(int done, int total) override;
    void presentStatus(OSStatus status) override;
    void incompatibleSystemAlert() override;

    // Whether an error has been presented.
    bool hadErrors() const { return errors_ > 0; }
    const QString& title() const { return title_; }

private:
    void progressLine(const QString& text);
    void clearProgressLine();

    QTextStream& err_;
    std::mutex mutex_;
    bool interactive_ = false;
    bool lineShown_ = false;
    bool alerted_ = false;
    int errors_ = 0;
    QString title_;
};

// "-43 fnfErr: The item could not be found." for a status.
QString describeStatus(OSStatus status);

}  // namespace corvane::cli
