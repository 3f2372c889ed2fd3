// Key-path bindings: a property of an object (a text layer's "string", a
// button's "image") follows one key of an observable dictionary. Binding
// writes the key's current value at once and every change after it; binding
// the same name again rebinds it to the new key; unbinding stops it and
// leaves the last value in place.
//
// A binding lives in a hidden child of the bound object, so it ends with
// that object; it also ends when the dictionary is destroyed. Values are
// written with QObject::setProperty() under the binding's name; the null
// marker and a missing key are written as an invalid QVariant (an empty
// string for a QString property). Main thread only.
#pragma once

#include "platform/ui/ObservableDictionary.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>

namespace corvane::ui {

// Turns the dictionary's value into what the property takes.
using ValueTransformer = std::function<QVariant(const QVariant& value)>;

struct BindingInfo {
    QPointer<ObservableDictionary> observedObject;
    QString observedKeyPath;
};

// Binds target's property binding to keyPath of dictionary. A null target
// or dictionary, or an empty binding name, does nothing.
void bind(QObject* target, const QString& binding, ObservableDictionary* dictionary,
          const QString& keyPath, ValueTransformer transformer = {});
void unbind(QObject* target, const QString& binding);
// What binding of target observes, or nothing when it is not bound (or its
// dictionary is gone).
std::optional<BindingInfo> infoForBinding(const QObject* target, const QString& binding);
// The names bound on target, sorted.
QStringList boundBindings(const QObject* target);

}  // namespace corvane::ui
