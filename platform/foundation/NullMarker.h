// The null marker: one distinct value meaning "asked for, but not available",
// never to be confused with an absent entry. Property-list values have it as
// plist::Value::null(); dictionaries of QVariant (the process information
// dictionary, represented objects of menu items) carry it as NullMarker.
#pragma once

#include "platform/foundation/PropertyList.h"

#include <QMetaType>
#include <QVariant>

// Declared before the functions below use it: a release build instantiates
// the type's metatype there, and a later declaration would not compile.
Q_DECLARE_METATYPE(corvane::plist::NullMarker)

namespace corvane {

using NullMarker = plist::NullMarker;

inline QVariant nullMarkerVariant()
{
    return QVariant::fromValue(NullMarker{});
}

inline bool isNullMarker(const QVariant& v)
{
    return v.metaType() == QMetaType::fromType<NullMarker>();
}

}  // namespace corvane
