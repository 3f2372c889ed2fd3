// A dictionary whose entries can be observed one key at a time: a change of
// one key notifies the observers of that key only. Views bind to keys of it
// (a panel's text to the CPU figure, a button's image to the icon), so every
// change shows at once. Main thread only, like the objects observing it.
#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

namespace corvane::ui {

class ObservableDictionary : public QObject {
    Q_OBJECT

public:
    explicit ObservableDictionary(QObject* parent = nullptr);
    ~ObservableDictionary() override;

    // The value under key; an invalid QVariant when there is none.
    QVariant value(const QString& key) const { return values_.value(key); }
    bool contains(const QString& key) const { return values_.contains(key); }
    QStringList keys() const { return values_.keys(); }
    QVariantHash snapshot() const { return values_; }

    // Stores value; observers of key hear of it when the key was absent or
    // its value differs from the stored one.
    void setValue(const QString& key, const QVariant& value);
    void removeValue(const QString& key);

    using Observer = std::function<void(const QVariant& value)>;
    // Calls observer with the new value (invalid when removed) after every
    // change of key, on the calling thread, until context is destroyed or
    // the connection returned is disconnected.
    QMetaObject::Connection observe(const QString& key, const QObject* context, Observer observer);

Q_SIGNALS:
    // Emitted for every change, after the key's own observers.
    void valueChanged(const QString& key, const QVariant& value);

private:
    class KeyNotifier;
    KeyNotifier* notifierFor(const QString& key);
    void notify(const QString& key, const QVariant& value);

    QVariantHash values_;
    QHash<QString, KeyNotifier*> notifiers_;  // owned as children
};

}  // namespace corvane::ui
