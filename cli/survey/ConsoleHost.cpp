#include "cli/survey/ConsoleHost.h"

#include "survey/engine/Classification.h"

#include <unistd.h>

namespace corvane::cli {

QString describeStatus(OSStatus status)
{
    QString text = QString::number(status);
    if (const QString name = statusName(status); !name.isEmpty())
        text += u' ' + name;
    if (const QString comment = statusComment(status); !comment.isEmpty())
        text += QStringLiteral(": ") + comment;
    return text;
}

ConsoleHost::ConsoleHost(QTextStream& err) : err_(err), interactive_(::isatty(STDERR_FILENO) == 1) {}

ConsoleHost::~ConsoleHost()
{
    clearProgressLine();
}

void ConsoleHost::startProgress()
{
    progressLine(QStringLiteral("Classifying applications…"));
}

void ConsoleHost::stopProgress()
{
    clearProgressLine();
}

void ConsoleHost::discoveryProgress(quint64 foldersRead)
{
    progressLine(QStringLiteral("Searching: %1 folders read…").arg(foldersRead));
}

void ConsoleHost::classificationProgress(int done, int total)
{
    progressLine(QStringLiteral("Classifying: %1 of %2 applications…").arg(done).arg(total));
}

void ConsoleHost::presentStatus(OSStatus status)
{
    std::lock_guard lock(mutex_);
    if (lineShown_) {
        err_ << "\r\033[K";
        lineShown_ = false;
    }
    err_ << "corvane-survey: the search stopped early (" << describeStatus(status) << ")\n";
    err_.flush();
    ++errors_;
}

void ConsoleHost::incompatibleSystemAlert()
{
    std::lock_guard lock(mutex_);
    if (alerted_)
        return;
    alerted_ = true;
    const QString informative =
        QString::fromUtf8(survey::kIncompatibleSystemInformative).replace(QStringLiteral("%@"),
                                                                          QString::fromUtf8(survey::kSupportAddress));
    err_ << "corvane-survey: " << survey::kIncompatibleSystemMessage << ". " << informative << '\n';
    err_.flush();
}

void ConsoleHost::progressLine(const QString& text)
{
    if (!interactive_)
        return;
    std::lock_guard lock(mutex_);
    err_ << '\r' << text << "\033[K";
    err_.flush();
    lineShown_ = true;
}

void ConsoleHost::clearProgressLine()
{
    std::lock_guard lock(mutex_);
    if (lineShown_) {
        err_ << "\r\033[K";
        err_.flush();
        lineShown_ = false;
    }
}

}  // namespace corvane::cli
