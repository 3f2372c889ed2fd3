// Drawing AttributedString (TableProtocols.h) with Qt: runs in their own
// point sizes and kerning, colours by role from a palette, lines from the
// text's own newlines stacked and centred vertically, each line shortened in
// its middle when it is wider than the rectangle.
#pragma once

#include "platform/ui/TableProtocols.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QRect>

class QPainter;

namespace corvane::ui {

QColor colorForRole(TextColorRole role, const QPalette& palette);
// base: the font whose family and size (for runs of size 0) apply.
QFont fontForAttributes(const TextAttributes& attributes, const QFont& base);

void drawAttributedString(QPainter& painter, const QRect& rect, const AttributedString& text,
                          const QPalette& palette, const QFont& base);

}  // namespace corvane::ui
