// One surveyed application bundle: where it is, what it is called, its icon
// once drawn, and whether it will launch as 32-bit code. The property names
// are the key paths that filters, sort orders and bindings use.
//
// Records are made on the survey's worker thread and handed to the main
// thread (moveToThread) before anything observes them; from then on they are
// used on the main thread only.
#pragma once

#include "platform/foundation/FileReference.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QVariant>

#include <optional>

namespace corvane::survey {

class MyController : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString string READ string WRITE setString NOTIFY stringChanged)
    Q_PROPERTY(QVariant icon READ icon WRITE setIcon NOTIFY iconChanged)
    Q_PROPERTY(bool flag3 READ flag3 WRITE setFlag3 NOTIFY flag3Changed)
    Q_PROPERTY(QUrl previewItemURL READ previewItemURL NOTIFY urlPChanged)
    Q_PROPERTY(QString previewItemTitle READ previewItemTitle NOTIFY stringChanged)
    Q_PROPERTY(QDateTime previewItemCreationDate READ previewItemCreationDate)
    Q_PROPERTY(QDateTime previewItemModificationDate READ previewItemModificationDate)

public:
    explicit MyController(QObject* parent = nullptr);

    // The bundle's location as a file reference; nothing when the volume
    // could not give one.
    const std::optional<FileReference>& urlP() const { return urlP_; }
    void setUrlP(const std::optional<FileReference>& url);
    // The bundle's current path ("urlP.path"); empty without a reference or
    // when the bundle is gone.
    QString urlPPath() const { return urlP_ ? urlP_->path() : QString(); }

    const QString& string() const { return string_; }
    void setString(const QString& name);

    // The icon as the list drew it (an image from the front end); invalid
    // until then.
    const QVariant& icon() const { return icon_; }
    void setIcon(const QVariant& icon);

    bool flag3() const { return flag3_; }
    void setFlag3(bool launchesAs32Bit);

    QUrl previewItemURL() const;
    QString previewItemTitle() const { return string_; }
    // Read from the file system on every call; invalid when unreadable.
    QDateTime previewItemCreationDate() const;
    QDateTime previewItemModificationDate() const;

Q_SIGNALS:
    void urlPChanged();
    void stringChanged();
    void iconChanged();
    void flag3Changed();

private:
    std::optional<FileReference> urlP_;
    QString string_;
    QVariant icon_;
    bool flag3_ = false;
};

}  // namespace corvane::survey
