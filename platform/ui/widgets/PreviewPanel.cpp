#include "platform/ui/widgets/PreviewPanel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPropertyAnimation>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvane::ui {

namespace {

QPointer<PreviewPanel>& sharedInstance()
{
    static QPointer<PreviewPanel> panel;
    return panel;
}

QString detailsOf(const QUrl& url)
{
    if (!url.isLocalFile())
        return url.toString();
    const QFileInfo info(url.toLocalFile());
    QString kind = info.isDir()
                       ? (info.suffix().compare(QLatin1String("app"), Qt::CaseInsensitive) == 0
                              ? QStringLiteral("Application")
                              : QStringLiteral("Folder"))
                       : QStringLiteral("Document");
    if (!info.exists())
        kind = QStringLiteral("Missing");
    QString text = info.filePath() + QLatin1Char('\n') + kind;
    if (info.exists()) {
        text += QStringLiteral(" \u2014 modified ") +
                QLocale().toString(info.lastModified(), QLocale::ShortFormat);
        if (info.isFile())
            text += QStringLiteral(" \u2014 ") + QLocale().formattedDataSize(info.size());
    }
    return text;
}

}  // namespace

PreviewPanelDataSource::~PreviewPanelDataSource() = default;
PreviewPanelDelegate::~PreviewPanelDelegate() = default;
PreviewPanelController::~PreviewPanelController() = default;

bool PreviewPanelDelegate::previewPanelHandleEvent(PreviewPanel&, QEvent&)
{
    return false;
}

QRect PreviewPanelDelegate::previewPanelSourceFrameOnScreenForPreviewItem(PreviewPanel&,
                                                                          const PreviewItem&)
{
    return {};
}

QVariant PreviewPanelDelegate::previewPanelTransitionImageForPreviewItemContentRect(
    PreviewPanel&, const PreviewItem&, QRect*)
{
    return {};
}

PreviewPanel* PreviewPanel::sharedPreviewPanel()
{
    QPointer<PreviewPanel>& panel = sharedInstance();
    if (!panel && qApp) {
        panel = new PreviewPanel();
        // The application object going away takes the panel with it.
        QObject::connect(qApp, &QObject::destroyed, [] { delete sharedInstance().data(); });
    }
    return panel.data();
}

bool PreviewPanel::sharedPreviewPanelExists()
{
    return !sharedInstance().isNull();
}

PreviewPanel::PreviewPanel() : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("corvane.previewPanel"));
    setWindowTitle(QStringLiteral("Quick Look"));
    resize(460, 360);
    icon_ = new QLabel(this);
    icon_->setAlignment(Qt::AlignCenter);
    icon_->setMinimumSize(160, 160);
    title_ = new QLabel(this);
    title_->setAlignment(Qt::AlignCenter);
    QFont bold = title_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    title_->setFont(bold);
    details_ = new QLabel(this);
    details_->setAlignment(Qt::AlignCenter);
    details_->setWordWrap(true);
    details_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    position_ = new QLabel(this);
    previous_ = new QToolButton(this);
    previous_->setArrowType(Qt::LeftArrow);
    next_ = new QToolButton(this);
    next_->setArrowType(Qt::RightArrow);
    connect(previous_, &QToolButton::clicked, this,
            [this] { setCurrentPreviewItemIndex(current_ - 1); });
    connect(next_, &QToolButton::clicked, this,
            [this] { setCurrentPreviewItemIndex(current_ + 1); });

    auto* bar = new QHBoxLayout;
    bar->addWidget(previous_);
    bar->addStretch();
    bar->addWidget(position_);
    bar->addStretch();
    bar->addWidget(next_);
    auto* column = new QVBoxLayout(this);
    column->addWidget(icon_, 1);
    column->addWidget(title_);
    column->addWidget(details_);
    column->addLayout(bar);
    iconProvider_ = [](const QUrl& url) {
        return QFileIconProvider().icon(QFileInfo(url.toLocalFile()));
    };
}

PreviewPanel::~PreviewPanel() = default;

void PreviewPanel::setDataSource(PreviewPanelDataSource* source)
{
    dataSource_ = source;
    reloadData();
}

void PreviewPanel::setIconProvider(std::function<QIcon(const QUrl&)> provider)
{
    if (provider)
        iconProvider_ = std::move(provider);
    showCurrentItem();
}

void PreviewPanel::reloadData()
{
    PreviewPanelDataSource* source = dataSource_.get();
    count_ = source ? std::max(0, source->numberOfPreviewItemsInPreviewPanel(*this)) : 0;
    if (current_ < 0 || current_ >= count_)
        current_ = count_ > 0 ? 0 : -1;
    showCurrentItem();
}

void PreviewPanel::setCurrentPreviewItemIndex(int index)
{
    if (index < 0 || index >= count_ || index == current_)
        return;
    current_ = index;
    showCurrentItem();
}

void PreviewPanel::showCurrentItem()
{
    PreviewPanelDataSource* source = dataSource_.get();
    item_.reset();
    if (source && current_ >= 0 && current_ < count_)
        item_ = source->previewPanelPreviewItemAtIndex(*this, current_);
    const bool has = item_.has_value();
    const QIcon icon = has && iconProvider_ ? iconProvider_(item_->previewItemURL) : QIcon();
    icon_->setPixmap(icon.isNull() ? QPixmap() : icon.pixmap(128, 128));
    title_->setText(has ? item_->previewItemTitle : QString());
    details_->setText(has ? detailsOf(item_->previewItemURL) : QString());
    position_->setText(has && count_ > 1 ? QStringLiteral("%1 of %2").arg(current_ + 1).arg(count_)
                                         : QString());
    previous_->setEnabled(current_ > 0);
    next_->setEnabled(current_ >= 0 && current_ + 1 < count_);
    setWindowTitle(has ? item_->previewItemTitle : QStringLiteral("Quick Look"));
}

void PreviewPanel::updateController()
{
    Responder* found = nullptr;
    if (chain_) {
        for (Responder* r : chain_->responders()) {
            auto* candidate = dynamic_cast<PreviewPanelController*>(r);
            if (candidate && candidate->acceptsPreviewPanelControl(*this)) {
                found = r;
                break;
            }
        }
    }
    if (found == controller_.get())
        return;
    endControl();
    controller_ = found;
    if (auto* c = dynamic_cast<PreviewPanelController*>(found))
        c->beginPreviewPanelControl(*this);
    reloadData();
}

void PreviewPanel::endControl()
{
    Responder* old = controller_.get();
    controller_ = nullptr;
    if (auto* c = dynamic_cast<PreviewPanelController*>(old))
        c->endPreviewPanelControl(*this);
}

void PreviewPanel::makeKeyAndOrderFront()
{
    updateController();
    reloadData();
    lastSourceFrame_ = QRect();
    if (PreviewPanelDelegate* d = delegate_.get(); d && item_)
        lastSourceFrame_ = d->previewPanelSourceFrameOnScreenForPreviewItem(*this, *item_);
    const bool wasVisible = isVisible();
    show();
    raise();
    activateWindow();
    if (!wasVisible && lastSourceFrame_.isValid()) {
        auto* zoom = new QPropertyAnimation(this, "geometry", this);
        zoom->setDuration(180);
        zoom->setStartValue(lastSourceFrame_);
        zoom->setEndValue(geometry());
        zoom->start(QAbstractAnimation::DeleteWhenStopped);
    }
}

void PreviewPanel::keyPressEvent(QKeyEvent* event)
{
    if (PreviewPanelDelegate* d = delegate_.get(); d && d->previewPanelHandleEvent(*this, *event)) {
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        setCurrentPreviewItemIndex(current_ - 1);
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        setCurrentPreviewItemIndex(current_ + 1);
        break;
    case Qt::Key_Space:
    case Qt::Key_Escape:
        close();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void PreviewPanel::closeEvent(QCloseEvent* event)
{
    endControl();
    QWidget::closeEvent(event);
}

}  // namespace corvane::ui
