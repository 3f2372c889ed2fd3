#include "survey/engine/MyModel.h"

#include "survey/engine/Classification.h"
#include "survey/engine/Discovery.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QThread>

namespace corvane::survey {

MyModel::MyModel(SurveyHost& host, QObject* parent) : QObject(parent), host_(host)
{
    arraycontroller24_.setAvoidsEmptySelection(false);
    connect(&arraycontroller24_, &ui::ArrayController::arrangedObjectsChanged, this,
            &MyModel::arrangementChanged);
}

MyModel::~MyModel()
{
    queue_.reset();  // stop the worker before the records go
}

void MyModel::loadAndShowWindow(const std::optional<QString>& scope)
{
    QStringList candidates;
    discover(scope, candidates);

    // The window loads: system lists, the content and the queue.
    lists_ = loadSystemLists();
    content_.clear();
    queue_ = std::make_unique<SerialQueue>();

    queueClassifications(distinctCandidates(candidates));
    if (!candidates.isEmpty())
        host_.startProgress();
    queue_->addOperation([this] { setAutomaticallyRearrangesObjects(true); });

    host_.setRepresentedURL(representedURL_);
    title_ = host_.windowTitle();
    if (!representedName_.isEmpty())
        host_.setWindowTitle(QStringLiteral("%1 - %2").arg(representedName_, title_));
    host_.showWindow();
    queue_->setSuspended(false);
}

void MyModel::discover(const std::optional<QString>& scope, QStringList& candidates)
{
    const auto resolved = scope ? resolveScope(*scope) : std::nullopt;
    if (!resolved) {
        bootVolume_ = true;
        candidates = allApplicationPaths();
        return;
    }
    bootVolume_ = resolved->onStartupVolume;
    volumeRoot_ = resolved->volumeRoot;
    const auto progress = [this](quint64 folders) { host_.discoveryProgress(folders); };
    const OSStatus status = resolved->isVolumeRoot ? IterateVolume(resolved->path, candidates, progress)
                                                   : IterateFolder(resolved->path, candidates, progress);
    if (status != status::noErr)
        host_.presentStatus(status);
    representedName_ = resolved->name;
    representedURL_ = resolved->url;
}

void MyModel::queueClassifications(const QStringList& candidates)
{
    queue_->setSuspended(true);
    QStringList kept;
    for (const QString& path : candidates) {
        if (isNativeApplicationPackage(path))
            kept.append(path);
    }
    const int total = static_cast<int>(kept.size());
    for (int i = 0; i < total; ++i) {
        const QString path = kept[i];
        queue_->addOperation([this, path, i, total] {
            showSource0(path);
            host_.classificationProgress(i + 1, total);
        });
    }
}

void MyModel::showSource0(const QString& bundlePath)
{
    const auto classified = classifyBundle(bundlePath, lists_, [this] { showIncompatibleSystemAlert(); });
    if (!classified)
        return;
    auto record = std::make_unique<MyController>();
    record->setString(classified->displayName);
    record->setUrlP(classified->urlP);
    record->setFlag3(classified->flag3);
    record->moveToThread(thread());
    content_.push_back(std::move(record));
}

void MyModel::showIncompatibleSystemAlert()
{
    if (QThread::currentThread() == thread()) {
        host_.incompatibleSystemAlert();
        return;
    }
    QMetaObject::invokeMethod(this, [this] { host_.incompatibleSystemAlert(); }, Qt::BlockingQueuedConnection);
}

void MyModel::setAutomaticallyRearrangesObjects(bool value)
{
    QMetaObject::invokeMethod(this, [this, value] { setAutomaticallyRearrangesObject(value); }, Qt::QueuedConnection);
}

void MyModel::setAutomaticallyRearrangesObject(bool value)
{
    Q_UNUSED(value);
    published_ = true;
    QVariantList objects;
    for (const auto& r : content_)
        objects.append(QVariant::fromValue(static_cast<QObject*>(r.get())));
    arraycontroller24_.setContent(objects);
    host_.stopProgress();
    host_.showStatusText();
    Q_EMIT published();
}

QList<MyController*> MyModel::content() const
{
    QList<MyController*> out;
    if (!published_)
        return out;
    for (const auto& r : content_)
        out.append(r.get());
    return out;
}

MyController* MyModel::recordOf(const QVariant& object)
{
    return qobject_cast<MyController*>(object.value<QObject*>());
}

QList<MyController*> MyModel::arrangedObjects() const
{
    QList<MyController*> out;
    for (const QVariant& object : arraycontroller24_.arrangedObjects())
        out.append(recordOf(object));
    return out;
}

FolderLayout MyModel::folderLayout() const
{
    return bootVolume_ ? FolderLayout::startupVolume() : FolderLayout::mountedAt(volumeRoot_);
}

QList<FolderItem> MyModel::folderList() const
{
    if (!published_)
        return {};
    if (!folderList_) {
        QStringList paths;
        for (MyController* r : content())
            paths.append(r->urlPPath());
        const QLocale locale = QLocale::system();
        folderList_ = buildFolderList(paths, folderLayout(), &locale);
    }
    return *folderList_;
}

void MyModel::waitUntilPublished()
{
    if (published_)
        return;
    QEventLoop loop;
    connect(this, &MyModel::published, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace corvane::survey
