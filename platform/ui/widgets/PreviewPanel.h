// The preview panel: one shared window that previews items (files and
// bundles) one at a time, with the controller protocol of the newer panel
// interface. When the panel is shown it looks along the responder chain for
// a PreviewPanelController that accepts control; that controller's
// beginPreviewPanelControl() sets the panel's data source (item count, items)
// and delegate (key events first, the zoom source frame, the transition
// image) and endPreviewPanelControl() clears them when the panel closes or
// another controller takes over. reloadData() asks the data source again.
//
// The shared panel is made on first use and lives until the application
// object is destroyed. Data source, delegate and controller are weak
// references. Main thread only.
#pragma once

#include "platform/ui/Responder.h"

#include <QPointer>
#include <QRect>
#include <QUrl>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QToolButton;

namespace corvane::ui {

class PreviewPanel;

struct PreviewItem {
    QUrl previewItemURL;
    QString previewItemTitle;
};

class PreviewPanelDataSource : public Guarded {
public:
    ~PreviewPanelDataSource() override;
    virtual int numberOfPreviewItemsInPreviewPanel(PreviewPanel& panel) = 0;
    virtual PreviewItem previewPanelPreviewItemAtIndex(PreviewPanel& panel, int index) = 0;
};

class PreviewPanelDelegate : public Guarded {
public:
    ~PreviewPanelDelegate() override;
    // True when the delegate handled event (a QKeyEvent for key presses);
    // the panel then leaves it alone.
    virtual bool previewPanelHandleEvent(PreviewPanel& panel, QEvent& event);
    // Where the item is shown on screen (the panel zooms from there); an
    // empty rectangle for none.
    virtual QRect previewPanelSourceFrameOnScreenForPreviewItem(PreviewPanel& panel,
                                                                const PreviewItem& item);
    // An image (QIcon, QImage, QPixmap) to zoom from; invalid for none.
    virtual QVariant previewPanelTransitionImageForPreviewItemContentRect(PreviewPanel& panel,
                                                                          const PreviewItem& item,
                                                                          QRect* contentRect);
};

// Implemented by responders (window controllers) that can feed the panel.
class PreviewPanelController {
public:
    virtual ~PreviewPanelController();
    virtual bool acceptsPreviewPanelControl(PreviewPanel& panel) = 0;
    virtual void beginPreviewPanelControl(PreviewPanel& panel) = 0;
    virtual void endPreviewPanelControl(PreviewPanel& panel) = 0;
};

class PreviewPanel : public QWidget {
    Q_OBJECT

public:
    static PreviewPanel* sharedPreviewPanel();
    static bool sharedPreviewPanelExists();

    // Where controllers are looked for; must outlive the panel's use.
    void setResponderChain(const ResponderChain* chain) { chain_ = chain; }

    PreviewPanelDataSource* dataSource() const { return dataSource_.get(); }
    void setDataSource(PreviewPanelDataSource* source);
    PreviewPanelDelegate* delegate() const { return delegate_.get(); }
    void setDelegate(PreviewPanelDelegate* delegate) { delegate_ = delegate; }
    // The controller in charge, or null.
    Responder* currentController() const { return controller_.get(); }

    // Asks the data source for the items again; the current index is kept
    // when it is still an item, else the first item is current.
    void reloadData();
    int numberOfPreviewItems() const { return count_; }
    int currentPreviewItemIndex() const { return current_; }
    void setCurrentPreviewItemIndex(int index);
    std::optional<PreviewItem> currentPreviewItem() const { return item_; }

    // Finds the controller, shows the panel (zooming from the delegate's
    // source frame) and makes it the key window.
    void makeKeyAndOrderFront();
    // Looks along the chain for a controller again.
    void updateController();
    // The source frame the last showing zoomed from (empty: none).
    QRect lastSourceFrame() const { return lastSourceFrame_; }

    // The image shown for an item; the default asks the desktop's icon
    // theme for the file.
    void setIconProvider(std::function<QIcon(const QUrl&)> provider);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    PreviewPanel();
    ~PreviewPanel() override;
    void showCurrentItem();
    void endControl();

    const ResponderChain* chain_ = nullptr;
    WeakRef<PreviewPanelDataSource> dataSource_;
    WeakRef<PreviewPanelDelegate> delegate_;
    WeakRef<Responder> controller_;
    int count_ = 0;
    int current_ = -1;
    std::optional<PreviewItem> item_;
    QRect lastSourceFrame_;
    std::function<QIcon(const QUrl&)> iconProvider_;

    QLabel* icon_;
    QLabel* title_;
    QLabel* details_;
    QLabel* position_;
    QToolButton* previous_;
    QToolButton* next_;
};

}  // namespace corvane::ui
