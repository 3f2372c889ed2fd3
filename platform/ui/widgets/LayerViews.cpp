#include "platform/ui/widgets/LayerViews.h"

#include <QImage>
#include <QPixmap>

namespace corvane::ui {

TextLayer::TextLayer(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFontNamed(QString(), kDefaultPointSize);
}

void TextLayer::setString(const QString& string)
{
    setText(string);
    adjustSize();
}

void TextLayer::setFontNamed(const QString& family, qreal pointSize)
{
    QFont font = QLabel::font();
    if (!family.isEmpty())
        font.setFamilies({family});
    font.setPointSizeF(pointSize > 0 ? pointSize : kDefaultPointSize);
    QLabel::setFont(font);
    adjustSize();
}

void TextLayer::setForegroundColor(const QColor& color)
{
    foreground_ = color;
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}

ImageButton::ImageButton(QWidget* parent) : QToolButton(parent)
{
    setAutoRaise(true);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setFocusPolicy(Qt::NoFocus);
    setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; }"));
}

void ImageButton::setImage(const QVariant& image)
{
    image_ = image;
    setIcon(iconFromVariant(image));
}

QIcon iconFromVariant(const QVariant& image)
{
    switch (image.metaType().id()) {
    case QMetaType::QIcon:
        return image.value<QIcon>();
    case QMetaType::QImage:
        return QIcon(QPixmap::fromImage(image.value<QImage>()));
    case QMetaType::QPixmap:
        return QIcon(image.value<QPixmap>());
    default:
        return QIcon();
    }
}

}  // namespace corvane::ui
