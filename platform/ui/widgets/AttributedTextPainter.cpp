#include "platform/ui/widgets/AttributedTextPainter.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace corvane::ui {

namespace {

using Line = QList<AttributedRun>;

// Splits the runs at their newlines into lines of runs.
QList<Line> linesOf(const AttributedString& text)
{
    QList<Line> lines(1);
    for (const AttributedRun& run : text.runs) {
        const QStringList parts = run.text.split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < parts.size(); ++i) {
            if (i > 0)
                lines.append(Line());
            if (!parts.at(i).isEmpty())
                lines.last().append({parts.at(i), run.attributes});
        }
    }
    return lines;
}

qreal lineHeight(const Line& line, const QFont& base)
{
    qreal height = QFontMetricsF(base).height();
    for (const AttributedRun& run : line)
        height = std::max(height, QFontMetricsF(fontForAttributes(run.attributes, base)).height());
    return height;
}

void drawLine(QPainter& painter, const QRectF& box, const Line& line, const QPalette& palette,
              const QFont& base)
{
    // Widths first: a line too wide loses its middle.
    qreal total = 0;
    for (const AttributedRun& run : line)
        total += QFontMetricsF(fontForAttributes(run.attributes, base)).horizontalAdvance(run.text);
    const bool single = line.size() == 1;
    qreal x = box.left();
    for (const AttributedRun& run : line) {
        const QFont font = fontForAttributes(run.attributes, base);
        const QFontMetricsF metrics(font);
        QString text = run.text;
        if (total > box.width() && single)
            text = metrics.elidedText(text, Qt::ElideMiddle, box.width());
        painter.setFont(font);
        painter.setPen(colorForRole(run.attributes.color, palette));
        const qreal width = std::min(metrics.horizontalAdvance(text), box.right() - x);
        if (width <= 0)
            break;
        painter.drawText(QRectF(x, box.top(), width, box.height()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        x += width;
    }
}

}  // namespace

QColor colorForRole(TextColorRole role, const QPalette& palette)
{
    switch (role) {
    case TextColorRole::DisabledControlText:
        return palette.color(QPalette::Disabled, QPalette::Text);
    case TextColorRole::AlternateSelectedControlText:
        return palette.color(QPalette::Active, QPalette::HighlightedText);
    case TextColorRole::ControlText:
    default:
        return palette.color(QPalette::Active, QPalette::Text);
    }
}

QFont fontForAttributes(const TextAttributes& attributes, const QFont& base)
{
    QFont font = base;
    if (attributes.pointSize > 0)
        font.setPointSizeF(attributes.pointSize);
    if (attributes.kerning != 0)
        font.setLetterSpacing(QFont::AbsoluteSpacing, attributes.kerning);
    return font;
}

void drawAttributedString(QPainter& painter, const QRect& rect, const AttributedString& text,
                          const QPalette& palette, const QFont& base)
{
    const QList<Line> lines = linesOf(text);
    QList<qreal> heights;
    qreal total = 0;
    for (const Line& line : lines) {
        heights.append(lineHeight(line, base));
        total += heights.last();
    }
    painter.save();
    painter.setClipRect(rect);
    qreal y = rect.top() + std::max<qreal>(0, (rect.height() - total) / 2);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        drawLine(painter, QRectF(rect.left(), y, rect.width(), heights.at(i)), lines.at(i), palette,
                 base);
        y += heights.at(i);
    }
    painter.restore();
}

}  // namespace corvane::ui
