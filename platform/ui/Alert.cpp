#include "platform/ui/Alert.h"

#include "platform/ui/Presenter.h"

namespace corvane::ui {

AlertButton& Alert::addButtonWithTitle(const QString& title)
{
    AlertButton button{title, QString()};
    if (buttons.isEmpty())
        button.keyEquivalent = kReturnKeyEquivalent;
    else if (title == QLatin1String("Cancel"))
        button.keyEquivalent = kEscapeKeyEquivalent;
    else if (title == QStringLiteral("Don\u2019t Save") || title == QLatin1String("Don't Save"))
        button.keyEquivalent = QStringLiteral("d");
    buttons.append(button);
    return buttons.last();
}

QList<AlertButton> Alert::effectiveButtons() const
{
    if (!buttons.isEmpty())
        return buttons;
    return {AlertButton{QStringLiteral("OK"), kReturnKeyEquivalent}};
}

Error errorWithOSStatus(OSStatus status)
{
    Error error;
    error.domain = NSOSStatusErrorDomain;
    error.code = status;
    error.localizedDescription =
        QStringLiteral("The operation couldn\u2019t be completed. (OSStatus error %1.)")
            .arg(status);
    error.localizedRecoverySuggestion = statusComment(status);
    return error;
}

Alert alertForError(const Error& error)
{
    Alert alert;
    alert.messageText = error.localizedDescription;
    alert.informativeText = error.localizedRecoverySuggestion;
    alert.style = AlertStyle::Critical;
    alert.addButtonWithTitle(QStringLiteral("OK"));
    return alert;
}

AlertResponse runAlert(const Alert& alert)
{
    return runAlertThroughPresenter(alert);
}

bool presentError(const Error& error)
{
    runAlert(alertForError(error));
    return false;
}

void presentStatus(OSStatus status)
{
    if (status != status::noErr)
        presentError(errorWithOSStatus(status));
}

}  // namespace corvane::ui
