// The image types Qt reads and writes here, as type identifiers (public.png,
// public.jpeg, public.tiff, ...), in a stable order with PNG first. Types
// Qt handles but the type table does not know are left out.
#pragma once

#include <QStringList>

namespace corvane::ui {

QStringList readableImageTypeIdentifiers();
QStringList writableImageTypeIdentifiers();

}  // namespace corvane::ui
