#include "survey/engine/ApplicationRecord.h"

#include "platform/foundation/FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace corvane::survey {

namespace {

enum class Stamp { Creation, Modification };

// The birth time where the file system keeps one (statx), else nothing; the
// content modification time.
QDateTime stampOf(const QString& path, Stamp which)
{
    if (path.isEmpty())
        return {};
    struct statx st {};
    if (::statx(AT_FDCWD, nativePath(path).constData(), AT_SYMLINK_NOFOLLOW,
                STATX_BTIME | STATX_MTIME, &st) != 0)
        return {};
    const bool creation = which == Stamp::Creation;
    if (creation && !(st.stx_mask & STATX_BTIME))
        return {};
    const statx_timestamp& t = creation ? st.stx_btime : st.stx_mtime;
    return QDateTime::fromMSecsSinceEpoch(t.tv_sec * 1000 + t.tv_nsec / 1000000, Qt::UTC);
}

}  // namespace

MyController::MyController(QObject* parent) : QObject(parent) {}

void MyController::setUrlP(const std::optional<FileReference>& url)
{
    urlP_ = url;
    Q_EMIT urlPChanged();
}

void MyController::setString(const QString& name)
{
    if (name == string_)
        return;
    string_ = name;
    Q_EMIT stringChanged();
}

void MyController::setIcon(const QVariant& icon)
{
    icon_ = icon;
    Q_EMIT iconChanged();
}

void MyController::setFlag3(bool launchesAs32Bit)
{
    if (launchesAs32Bit == flag3_)
        return;
    flag3_ = launchesAs32Bit;
    Q_EMIT flag3Changed();
}

QUrl MyController::previewItemURL() const
{
    return urlP_ ? urlP_->url() : QUrl();
}

QDateTime MyController::previewItemCreationDate() const
{
    return stampOf(urlPPath(), Stamp::Creation);
}

QDateTime MyController::previewItemModificationDate() const
{
    return stampOf(urlPPath(), Stamp::Modification);
}

}  // namespace corvane::survey
