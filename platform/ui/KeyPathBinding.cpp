#include "platform/ui/KeyPathBinding.h"

#include "platform/foundation/NullMarker.h"

#include <QHash>

#include <algorithm>

namespace corvane::ui {

namespace {

const char kHolderName[] = "corvane.ui.bindings";

struct Binding {
    BindingInfo info;
    QMetaObject::Connection observation;
    QMetaObject::Connection dictionaryGone;
};

// Holds the bindings of one object, as its child.
class BindingHolder : public QObject {
    Q_OBJECT

public:
    explicit BindingHolder(QObject* target) : QObject(target)
    {
        setObjectName(QLatin1String(kHolderName));
    }
    ~BindingHolder() override
    {
        for (const Binding& b : std::as_const(bindings))
            disconnectBinding(b);
    }
    static void disconnectBinding(const Binding& b)
    {
        QObject::disconnect(b.observation);
        QObject::disconnect(b.dictionaryGone);
    }

    QHash<QString, Binding> bindings;
};

BindingHolder* holderOf(const QObject* target, bool create)
{
    if (!target)
        return nullptr;
    auto* holder =
        target->findChild<BindingHolder*>(QLatin1String(kHolderName), Qt::FindDirectChildrenOnly);
    if (!holder && create)
        holder = new BindingHolder(const_cast<QObject*>(target));
    return holder;
}

QVariant shownValue(const QVariant& value, const ValueTransformer& transformer)
{
    const QVariant plain = isNullMarker(value) ? QVariant() : value;
    return transformer ? transformer(plain) : plain;
}

}  // namespace

void bind(QObject* target, const QString& binding, ObservableDictionary* dictionary,
          const QString& keyPath, ValueTransformer transformer)
{
    if (!target || !dictionary || binding.isEmpty())
        return;
    unbind(target, binding);
    BindingHolder* holder = holderOf(target, true);
    const QByteArray property = binding.toUtf8();
    auto write = [target, property, transformer](const QVariant& value) {
        target->setProperty(property.constData(), shownValue(value, transformer));
    };
    Binding b;
    b.info = {dictionary, keyPath};
    b.observation = dictionary->observe(keyPath, holder, write);
    // The dictionary going away ends the binding (its value stays shown).
    b.dictionaryGone = QObject::connect(dictionary, &QObject::destroyed, holder,
                                        [holder, binding] { holder->bindings.remove(binding); });
    holder->bindings.insert(binding, b);
    write(dictionary->value(keyPath));
}

void unbind(QObject* target, const QString& binding)
{
    BindingHolder* holder = holderOf(target, false);
    if (!holder)
        return;
    const auto it = holder->bindings.find(binding);
    if (it == holder->bindings.end())
        return;
    BindingHolder::disconnectBinding(*it);
    holder->bindings.erase(it);
}

std::optional<BindingInfo> infoForBinding(const QObject* target, const QString& binding)
{
    const BindingHolder* holder = holderOf(target, false);
    if (!holder)
        return std::nullopt;
    const auto it = holder->bindings.constFind(binding);
    if (it == holder->bindings.constEnd() || !it->info.observedObject)
        return std::nullopt;
    return it->info;
}

QStringList boundBindings(const QObject* target)
{
    const BindingHolder* holder = holderOf(target, false);
    if (!holder)
        return {};
    QStringList names = holder->bindings.keys();
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace corvane::ui

#include "KeyPathBinding.moc"
