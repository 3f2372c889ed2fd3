// The file dialog that shows an open or save panel (Panels.h): Qt's own
// (non-native) file dialog, so the panel's accessory view and message fit
// in, with name filters from the panel's type identifiers. Packages such as
// application bundles are chosen as one item: opening one (by a double
// click or the Open button) chooses it instead of entering it, and a plain
// folder that cannot be chosen is entered. A type change of the panel while
// it runs updates the filter and the extension in the name field.
#pragma once

#include "platform/ui/Panels.h"

#include <QFileDialog>
#include <QPointer>
#include <QStringList>

class QLabel;

namespace corvane::ui {

class PanelDialog : public QFileDialog {
    Q_OBJECT

public:
    // panel must outlive the dialog. The accessory view, if any, is shown
    // in the dialog until it is destroyed, then given back without parent.
    PanelDialog(SavePanel& panel, QWidget* parent = nullptr);
    ~PanelDialog() override;

    // The name filter for type identifiers ("Property List (*.plist)");
    // all files for an empty list.
    static QStringList nameFiltersFor(const QStringList& types);

    // The paths to confirm once the dialog was accepted.
    QStringList chosenPaths() const;

    void accept() override;

private:
    void applyTypes(const QStringList& types);
    void packageEntered(const QString& directory);
    void chooseDirectly(const QStringList& paths);
    OpenPanel* openPanel() const;

    SavePanel& panel_;
    QPointer<QWidget> accessory_;
    QLabel* message_ = nullptr;
    QStringList chosen_;
};

}  // namespace corvane::ui
