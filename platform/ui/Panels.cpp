#include "platform/ui/Panels.h"

#include "platform/ui/Presenter.h"
#include "platform/ui/TypeIdentifiers.h"

#include <QFileInfo>

namespace corvane::ui {

SavePanel::SavePanel(QObject* parent) : QObject(parent) {}

SavePanel::~SavePanel() = default;

void SavePanel::setAllowedFileTypes(const QStringList& types)
{
    if (types == allowedTypes_)
        return;
    allowedTypes_ = types;
    Q_EMIT allowedFileTypesChanged(types);
}

int SavePanel::runModal()
{
    urls_.clear();
    Presenter* presenter = currentPresenter();
    if (!presenter)
        return NSModalResponseCancel;
    const int response = isOpenPanel() ? presenter->runOpenPanel(static_cast<OpenPanel&>(*this))
                                       : presenter->runSavePanel(*this);
    if (response != NSModalResponseOK)
        urls_.clear();
    return urls_.isEmpty() ? NSModalResponseCancel : response;
}

QString SavePanel::pathWithRequiredExtension(const QString& path) const
{
    if (allowedTypes_.isEmpty())
        return path;
    const QString suffix = QFileInfo(path).suffix();
    for (const QString& type : allowedTypes_) {
        if (!suffix.isEmpty() &&
            uti::filenameExtensions(type).contains(suffix, Qt::CaseInsensitive))
            return path;
    }
    const QString extension = uti::preferredFilenameExtension(allowedTypes_.first());
    return extension.isEmpty() ? path : path + QLatin1Char('.') + extension;
}

bool SavePanel::confirm(const QStringList& paths)
{
    urls_.clear();
    if (paths.isEmpty() || paths.first().isEmpty())
        return false;
    const QString path = pathWithRequiredExtension(paths.first());
    urls_.append(QUrl::fromLocalFile(path));
    name_ = QFileInfo(path).fileName();
    return true;
}

OpenPanel::OpenPanel(QObject* parent) : SavePanel(parent) {}

OpenPanel::~OpenPanel() = default;

bool OpenPanel::entersFolder(const QString& path) const
{
    const QFileInfo info(path);
    if (!info.isDir())
        return false;
    return packagesAsFolders_ || !uti::isPackageName(info.fileName());
}

bool OpenPanel::isSelectable(const QString& path) const
{
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    const bool folder = info.isDir();
    const bool package = folder && !packagesAsFolders_ && uti::isPackageName(info.fileName());
    const QStringList types = allowedFileTypes();
    if (folder && !package) {
        // A plain folder matches only types that folders conform to.
        return canChooseDirectories_ &&
               (types.isEmpty() || uti::itemConformsToTypes(info.fileName(), true, types));
    }
    // Files, and packages: a package is chosen as one file.
    if (!canChooseFiles_)
        return false;
    return uti::itemConformsToTypes(info.fileName(), folder, types);
}

bool OpenPanel::confirm(const QStringList& paths)
{
    urls_.clear();
    for (const QString& path : paths) {
        if (!isSelectable(path))
            continue;
        urls_.append(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
        if (!allowsMultipleSelection())
            break;
    }
    return !urls_.isEmpty();
}

}  // namespace corvane::ui
