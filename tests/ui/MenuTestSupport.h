// Responders and delegates for menu tests: a controller that records the
// actions it performs and validates by a rule the test gives.
#pragma once

#include "platform/ui/Menu.h"
#include "platform/ui/MenuTracker.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace corvane::ui::testing {

class RecordingResponder : public Responder {
public:
    explicit RecordingResponder(QString name) : name_(std::move(name)) {}

    // Performs action by writing "name:action(tag)" to the log.
    void handle(const char* action, QStringList* log)
    {
        addAction(Action(action), [this, action, log](QObject* sender) {
            const auto* item = qobject_cast<MenuItem*>(sender);
            *log << QStringLiteral("%1:%2(%3)")
                        .arg(name_, QLatin1String(action))
                        .arg(item ? item->tag() : -1);
        });
    }

    std::function<bool(MenuItem&)> validator;
    bool validateMenuItem(MenuItem& item) override
    {
        ++validations;
        return validator ? validator(item) : true;
    }
    int validations = 0;

private:
    QString name_;
};

// Logs the delegate calls it gets as "call:menu title".
class LoggingDelegate : public MenuDelegate {
public:
    explicit LoggingDelegate(QStringList* log) : log_(log) {}
    std::function<void(Menu&)> onUpdate;
    std::function<void(Menu&)> onWillOpen;

    void menuNeedsUpdate(Menu& menu) override
    {
        *log_ << QStringLiteral("update:") + menu.title();
        if (onUpdate)
            onUpdate(menu);
    }
    void menuWillOpen(Menu& menu) override
    {
        *log_ << QStringLiteral("willOpen:") + menu.title();
        if (onWillOpen)
            onWillOpen(menu);
    }
    void menuDidClose(Menu& menu) override { *log_ << QStringLiteral("didClose:") + menu.title(); }

private:
    QStringList* log_;
};

// The titles of visible rows; separators read "-", disabled rows are
// wrapped in brackets, checked rows end in " *", mixed ones in " ~".
inline QStringList describe(const QList<VisibleItem>& rows)
{
    QStringList out;
    for (const VisibleItem& row : rows) {
        if (row.separator) {
            out << QStringLiteral("-");
            continue;
        }
        QString text = row.enabled ? row.title : QLatin1Char('[') + row.title + QLatin1Char(']');
        if (row.state == ControlState::On)
            text += QStringLiteral(" *");
        else if (row.state == ControlState::Mixed)
            text += QStringLiteral(" ~");
        out << text;
    }
    return out;
}

}  // namespace corvane::ui::testing
