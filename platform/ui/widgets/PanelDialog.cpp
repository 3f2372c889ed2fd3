#include "platform/ui/widgets/PanelDialog.h"

#include "platform/ui/TypeIdentifiers.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace corvane::ui {

namespace {

QString typeDescription(const QString& type)
{
    if (type == uti::kPropertyList)
        return QStringLiteral("Property List");
    if (type == uti::kApplicationBundle || type == uti::kApplication)
        return QStringLiteral("Applications");
    if (type == uti::kImage)
        return QStringLiteral("Images");
    if (uti::conformsTo(type, uti::kImage))
        return uti::preferredFilenameExtension(type).toUpper() + QStringLiteral(" image");
    const QString extension = uti::preferredFilenameExtension(type);
    return extension.isEmpty() ? type : extension.toUpper() + QStringLiteral(" file");
}

QStringList patternsFor(const QString& type)
{
    QStringList patterns;
    for (const QString& known : uti::knownTypesConformingTo(type)) {
        for (const QString& extension : uti::filenameExtensions(known))
            patterns << QStringLiteral("*.") + extension;
    }
    patterns.removeDuplicates();
    return patterns;
}

}  // namespace

PanelDialog::PanelDialog(SavePanel& panel, QWidget* parent) : QFileDialog(parent), panel_(panel)
{
    setOption(QFileDialog::DontUseNativeDialog);
    setWindowModality(Qt::ApplicationModal);
    setObjectName(QStringLiteral("corvane.panel"));
    if (!panel.title().isEmpty())
        setWindowTitle(panel.title());
    if (!panel.prompt().isEmpty())
        setLabelText(QFileDialog::Accept, panel.prompt());
    if (!panel.canCreateDirectories())
        setOption(QFileDialog::ReadOnly);
    if (panel.directoryURL().isLocalFile())
        setDirectory(panel.directoryURL().toLocalFile());

    if (OpenPanel* open = openPanel()) {
        setAcceptMode(QFileDialog::AcceptOpen);
        if (open->canChooseDirectories() && !open->canChooseFiles()) {
            setFileMode(QFileDialog::Directory);
            setOption(QFileDialog::ShowDirsOnly);
        } else {
            setFileMode(open->allowsMultipleSelection() ? QFileDialog::ExistingFiles
                                                        : QFileDialog::ExistingFile);
        }
        connect(this, &QFileDialog::directoryEntered, this, &PanelDialog::packageEntered);
    } else {
        setAcceptMode(QFileDialog::AcceptSave);
        setFileMode(QFileDialog::AnyFile);
        if (!panel.nameFieldStringValue().isEmpty())
            selectFile(panel.nameFieldStringValue());
    }
    applyTypes(panel.allowedFileTypes());
    connect(&panel, &SavePanel::allowedFileTypesChanged, this, &PanelDialog::applyTypes);

    // Message and accessory view go below the dialog's own rows.
    auto* grid = qobject_cast<QGridLayout*>(layout());
    if (grid && !panel.message().isEmpty()) {
        message_ = new QLabel(panel.message(), this);
        message_->setWordWrap(true);
        grid->addWidget(message_, grid->rowCount(), 0, 1, grid->columnCount());
    }
    accessory_ = qobject_cast<QWidget*>(panel.accessoryView());
    if (grid && accessory_) {
        grid->addWidget(accessory_, grid->rowCount(), 0, 1, grid->columnCount());
        accessory_->show();
    }
}

PanelDialog::~PanelDialog()
{
    // The accessory view belongs to the panel's owner: hand it back.
    if (accessory_) {
        if (layout())
            layout()->removeWidget(accessory_);
        accessory_->hide();
        accessory_->setParent(nullptr);
    }
}

QStringList PanelDialog::nameFiltersFor(const QStringList& types)
{
    QStringList filters;
    QStringList all;
    for (const QString& type : types) {
        const QStringList patterns = patternsFor(type);
        if (patterns.isEmpty())
            continue;
        filters << QStringLiteral("%1 (%2)").arg(typeDescription(type),
                                                 patterns.join(QLatin1Char(' ')));
        all << patterns;
    }
    if (filters.size() > 1) {
        all.removeDuplicates();
        filters.prepend(QStringLiteral("All allowed (%1)").arg(all.join(QLatin1Char(' '))));
    }
    if (filters.isEmpty())
        filters << QStringLiteral("All files (*)");
    return filters;
}

OpenPanel* PanelDialog::openPanel() const
{
    return panel_.isOpenPanel() ? static_cast<OpenPanel*>(&panel_) : nullptr;
}

void PanelDialog::applyTypes(const QStringList& types)
{
    setNameFilters(nameFiltersFor(types));
    if (openPanel())
        return;
    const QString extension =
        types.isEmpty() ? QString() : uti::preferredFilenameExtension(types.first());
    setDefaultSuffix(extension);
    // The name in the field takes the new type's extension.
    auto* field = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!field || field->text().isEmpty() || extension.isEmpty())
        return;
    const QString name = field->text();
    const QString base = QFileInfo(name).suffix().isEmpty()
                             ? name
                             : name.left(name.size() - QFileInfo(name).suffix().size() - 1);
    field->setText(base + QLatin1Char('.') + extension);
}

void PanelDialog::packageEntered(const QString& directory)
{
    OpenPanel* open = openPanel();
    if (!open || open->entersFolder(directory) || !open->isSelectable(directory))
        return;
    // A package was opened: it is the choice, not a place to look in.
    chooseDirectly({directory});
}

void PanelDialog::chooseDirectly(const QStringList& paths)
{
    chosen_ = paths;
    QDialog::accept();
}

QStringList PanelDialog::chosenPaths() const
{
    return chosen_.isEmpty() ? selectedFiles() : chosen_;
}

void PanelDialog::accept()
{
    OpenPanel* open = openPanel();
    if (!open) {
        QFileDialog::accept();
        return;
    }
    const QStringList paths = selectedFiles();
    bool all = !paths.isEmpty();
    for (const QString& path : paths)
        all = all && open->isSelectable(path);
    if (all) {
        chooseDirectly(paths);
        return;
    }
    if (paths.size() == 1 && open->entersFolder(paths.first())) {
        setDirectory(paths.first());
        return;
    }
    QFileDialog::accept();
}

}  // namespace corvane::ui
