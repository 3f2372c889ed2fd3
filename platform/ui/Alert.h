// Alerts and error presentation.
//
// An Alert is plain data: message, informative text, buttons (each with a
// key equivalent) and an optional suppression check box. It is run modally
// by the current Presenter (Presenter.h), which answers which button was
// chosen and how the check box was left. Tests install a presenter of their
// own to see every alert and answer it.
//
// Errors a user action produces are shown in one way: an Error in the
// operating system's status domain whose code is the status and whose
// recovery suggestion is the status's descriptive comment, when there is
// one, presented application-modally with one "OK" button.
#pragma once

#include "platform/foundation/StatusCodes.h"

#include <QList>
#include <QString>

namespace corvane::ui {

// Responses: the first button answers 1000, the second 1001, and so on.
constexpr int NSAlertFirstButtonReturn = 1000;
constexpr int NSAlertSecondButtonReturn = 1001;
constexpr int NSAlertThirdButtonReturn = 1002;

// Key equivalents of alert buttons.
inline const QString kReturnKeyEquivalent = QStringLiteral("\r");
inline const QString kEscapeKeyEquivalent = QString(QChar(27));

enum class AlertStyle { Warning, Informational, Critical };

struct AlertButton {
    QString title;
    // "\r" (Return), "\x1b" (Escape), or a character typed with Command;
    // empty for none.
    QString keyEquivalent;
};

struct Alert {
    QString messageText;
    QString informativeText;
    AlertStyle style = AlertStyle::Warning;
    // Shown first to last (the first is the default). An alert without
    // buttons shows one "OK" button.
    QList<AlertButton> buttons;
    bool showsSuppressionButton = false;
    QString suppressionButtonTitle = QStringLiteral("Do not show this message again");
    bool suppressionButtonIsSmall = false;  // small control size and font
    bool suppressionButtonInitiallyOn = false;

    // Adds a button the way the platform does: the first button answers
    // Return, a button titled "Cancel" answers Escape, "Don't Save" answers
    // Command-D. Returns the button for further changes.
    AlertButton& addButtonWithTitle(const QString& title);

    // The buttons the user sees (one "OK" when none were added).
    QList<AlertButton> effectiveButtons() const;
};

struct AlertResponse {
    int button = NSAlertFirstButtonReturn;
    bool suppressionButtonOn = false;
};

inline const QString NSOSStatusErrorDomain = QStringLiteral("NSOSStatusErrorDomain");

struct Error {
    QString domain;
    qint64 code = 0;
    QString localizedDescription;
    QString localizedRecoverySuggestion;  // empty: none
};

// The error for a status: its domain, the code, the generic description and
// the status's descriptive comment as recovery suggestion (none when the
// platform has no comment for the code).
Error errorWithOSStatus(OSStatus status);
// The alert that presents error: description as message, recovery
// suggestion as informative text, one "OK" button.
Alert alertForError(const Error& error);

// Runs alert through the current presenter (any thread; see Presenter.h).
AlertResponse runAlert(const Alert& alert);
// Presents error application-modally. Always answers false: there is no
// recovery attempt behind the alert.
bool presentError(const Error& error);
// presentError(errorWithOSStatus(status)) for a non-zero status; a zero
// status presents nothing.
void presentStatus(OSStatus status);

}  // namespace corvane::ui
