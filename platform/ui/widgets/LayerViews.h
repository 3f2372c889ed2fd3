// Views with the bindable properties the monitor panels use: a text layer
// whose "string" can be bound (KeyPathBinding.h), and an image button whose
// "image" can be bound.
#pragma once

#include <QColor>
#include <QIcon>
#include <QLabel>
#include <QToolButton>
#include <QVariant>

namespace corvane::ui {

// One line of text in a font and colour, kept at its preferred size and
// centred horizontally by its container's layout. Without a point size of
// its own it uses the layer default, 36 points.
class TextLayer : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString string READ string WRITE setString)

public:
    static constexpr qreal kDefaultPointSize = 36;

    explicit TextLayer(QWidget* parent = nullptr);

    QString string() const { return text(); }
    void setString(const QString& string);

    // family: a font name; a missing font falls back to the desktop's.
    void setFontNamed(const QString& family, qreal pointSize = kDefaultPointSize);
    void setForegroundColor(const QColor& color);
    QColor foregroundColor() const { return foreground_; }

private:
    QColor foreground_ = Qt::black;
};

// A borderless button that shows only an image. "image" takes a QIcon,
// QImage or QPixmap; anything else (an invalid value) shows no image.
class ImageButton : public QToolButton {
    Q_OBJECT
    Q_PROPERTY(QVariant image READ image WRITE setImage)

public:
    explicit ImageButton(QWidget* parent = nullptr);

    QVariant image() const { return image_; }
    void setImage(const QVariant& image);

private:
    QVariant image_;
};

// A QIcon from a QIcon, QImage or QPixmap held in a QVariant; null otherwise.
QIcon iconFromVariant(const QVariant& image);

}  // namespace corvane::ui
