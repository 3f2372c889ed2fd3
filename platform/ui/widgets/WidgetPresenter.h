// The presenter that shows alerts and panels to the user with Qt Widgets:
// an application-modal message box per alert (buttons in the alert's order,
// the first the default, key equivalents on the buttons, the suppression
// check box below) and a PanelDialog per panel. Install it at program start
// (ScopedPresenter or setPresenter). Main thread only.
#pragma once

#include "platform/ui/Presenter.h"

#include <QPointer>

class QWidget;

namespace corvane::ui {

class WidgetPresenter : public Presenter {
public:
    // parent: the window dialogs are centred on; none centres them on screen.
    explicit WidgetPresenter(QWidget* parent = nullptr);
    ~WidgetPresenter() override;

    AlertResponse runAlert(const Alert& alert) override;
    int runSavePanel(SavePanel& panel) override;
    int runOpenPanel(OpenPanel& panel) override;

private:
    int runPanel(SavePanel& panel);

    QPointer<QWidget> parent_;
};

}  // namespace corvane::ui
