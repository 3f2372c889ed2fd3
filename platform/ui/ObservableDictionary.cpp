#include "platform/ui/ObservableDictionary.h"

namespace corvane::ui {

// One signal per observed key, so a change reaches only that key's observers.
class ObservableDictionary::KeyNotifier : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
Q_SIGNALS:
    void changed(const QVariant& value);
};

ObservableDictionary::ObservableDictionary(QObject* parent) : QObject(parent) {}

ObservableDictionary::~ObservableDictionary() = default;

void ObservableDictionary::setValue(const QString& key, const QVariant& value)
{
    auto it = values_.find(key);
    if (it != values_.end() && *it == value && it->metaType() == value.metaType())
        return;
    values_.insert(key, value);
    notify(key, value);
}

void ObservableDictionary::removeValue(const QString& key)
{
    if (values_.remove(key))
        notify(key, QVariant());
}

QMetaObject::Connection ObservableDictionary::observe(const QString& key, const QObject* context,
                                                      Observer observer)
{
    return connect(notifierFor(key), &KeyNotifier::changed, context, std::move(observer));
}

ObservableDictionary::KeyNotifier* ObservableDictionary::notifierFor(const QString& key)
{
    KeyNotifier*& n = notifiers_[key];
    if (!n)
        n = new KeyNotifier(this);
    return n;
}

void ObservableDictionary::notify(const QString& key, const QVariant& value)
{
    if (KeyNotifier* n = notifiers_.value(key))
        Q_EMIT n->changed(value);
    Q_EMIT valueChanged(key, value);
}

}  // namespace corvane::ui

#include "ObservableDictionary.moc"
