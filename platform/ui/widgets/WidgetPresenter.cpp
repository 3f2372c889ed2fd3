#include "platform/ui/widgets/WidgetPresenter.h"

#include "platform/ui/Panels.h"
#include "platform/ui/widgets/PanelDialog.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>

namespace corvane::ui {

namespace {

QMessageBox::Icon iconFor(AlertStyle style)
{
    switch (style) {
    case AlertStyle::Informational:
        return QMessageBox::Information;
    case AlertStyle::Critical:
        return QMessageBox::Critical;
    case AlertStyle::Warning:
    default:
        return QMessageBox::Warning;
    }
}

// A button's role only orders it in the box; the answer is its index.
QMessageBox::ButtonRole roleFor(const AlertButton& button, int index)
{
    if (button.keyEquivalent == kEscapeKeyEquivalent)
        return QMessageBox::RejectRole;
    return index == 0 ? QMessageBox::AcceptRole : QMessageBox::ActionRole;
}

}  // namespace

WidgetPresenter::WidgetPresenter(QWidget* parent) : parent_(parent) {}

WidgetPresenter::~WidgetPresenter() = default;

AlertResponse WidgetPresenter::runAlert(const Alert& alert)
{
    QMessageBox box(iconFor(alert.style), QString(), alert.messageText, QMessageBox::NoButton,
                    parent_);
    box.setObjectName(QStringLiteral("corvane.alert"));
    box.setWindowModality(Qt::ApplicationModal);
    box.setTextFormat(Qt::PlainText);
    box.setInformativeText(alert.informativeText);

    const QList<AlertButton> buttons = alert.effectiveButtons();
    QList<QPushButton*> pushButtons;
    QPushButton* escape = nullptr;
    for (int i = 0; i < buttons.size(); ++i) {
        const AlertButton& b = buttons.at(i);
        QPushButton* push = box.addButton(b.title, roleFor(b, i));
        pushButtons.append(push);
        if (b.keyEquivalent == kEscapeKeyEquivalent)
            escape = push;
        else if (b.keyEquivalent == kReturnKeyEquivalent)
            box.setDefaultButton(push);
        else if (b.keyEquivalent.size() == 1 && b.keyEquivalent.at(0).isPrint())
            push->setShortcut(QKeySequence(Qt::CTRL | b.keyEquivalent.at(0).toUpper().unicode()));
    }
    if (escape)
        box.setEscapeButton(escape);

    QCheckBox* suppression = nullptr;
    if (alert.showsSuppressionButton) {
        suppression = new QCheckBox(alert.suppressionButtonTitle, &box);
        suppression->setChecked(alert.suppressionButtonInitiallyOn);
        if (alert.suppressionButtonIsSmall) {
            QFont small = suppression->font();
            small.setPointSizeF(small.pointSizeF() * 0.85);
            suppression->setFont(small);
        }
        box.setCheckBox(suppression);
    }

    box.exec();
    AlertResponse response;
    int index = int(pushButtons.indexOf(qobject_cast<QPushButton*>(box.clickedButton())));
    // Closed some other way: as if Escape (or, without such a button, the
    // default) was pressed.
    if (index < 0)
        index = escape ? int(pushButtons.indexOf(escape)) : 0;
    response.button = NSAlertFirstButtonReturn + index;
    response.suppressionButtonOn = suppression && suppression->isChecked();
    return response;
}

int WidgetPresenter::runSavePanel(SavePanel& panel)
{
    return runPanel(panel);
}

int WidgetPresenter::runOpenPanel(OpenPanel& panel)
{
    return runPanel(panel);
}

int WidgetPresenter::runPanel(SavePanel& panel)
{
    PanelDialog dialog(panel, parent_);
    if (dialog.exec() != QDialog::Accepted)
        return NSModalResponseCancel;
    return panel.confirm(dialog.chosenPaths()) ? NSModalResponseOK : NSModalResponseCancel;
}

}  // namespace corvane::ui
