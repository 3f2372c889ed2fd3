// Open and save panels as objects: their settings (title, message, start
// folder, name field, allowed types by type identifier, an accessory view)
// and, once run, what the user chose. runModal() hands the panel to the
// current Presenter (Presenter.h); tests install one that inspects the panel
// and answers for the user.
//
// Type filters: allowedFileTypes holds type identifiers ("com.apple.
// property-list", "com.apple.application-bundle", "public.image"); an empty
// list allows everything. An application bundle is a folder whose name ends
// in ".app" and is chosen as one item.
//
// The accessory view is any QObject (a QWidget for the widgets presenter);
// the panel does not own it, and the presenter gives it back unchanged
// (with no parent) when the panel closes. Main thread only.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace corvane::ui {

// Modal responses.
constexpr int NSModalResponseCancel = 0;
constexpr int NSModalResponseOK = 1;

class SavePanel : public QObject {
    Q_OBJECT

public:
    explicit SavePanel(QObject* parent = nullptr);
    ~SavePanel() override;

    virtual bool isOpenPanel() const { return false; }

    QString title() const { return title_; }
    void setTitle(const QString& title) { title_ = title; }
    QString message() const { return message_; }
    void setMessage(const QString& message) { message_ = message; }
    QString prompt() const { return prompt_; }
    void setPrompt(const QString& prompt) { prompt_ = prompt; }
    // The folder shown first; empty: the presenter's choice.
    QUrl directoryURL() const { return directory_; }
    void setDirectoryURL(const QUrl& url) { directory_ = url; }
    QString nameFieldStringValue() const { return name_; }
    void setNameFieldStringValue(const QString& name) { name_ = name; }

    QStringList allowedFileTypes() const { return allowedTypes_; }
    // Emits allowedFileTypesChanged (also while the panel runs, so a format
    // menu in the accessory view can switch the type).
    void setAllowedFileTypes(const QStringList& types);

    bool canCreateDirectories() const { return canCreateDirectories_; }
    void setCanCreateDirectories(bool on) { canCreateDirectories_ = on; }
    bool canSelectHiddenExtension() const { return canSelectHiddenExtension_; }
    void setCanSelectHiddenExtension(bool on) { canSelectHiddenExtension_ = on; }
    bool isExtensionHidden() const { return extensionHidden_; }
    void setExtensionHidden(bool on) { extensionHidden_ = on; }

    QObject* accessoryView() const { return accessory_.data(); }
    void setAccessoryView(QObject* view) { accessory_ = view; }

    // Runs the panel through the current presenter; NSModalResponseOK when
    // the user confirmed. Without a presenter the answer is cancel.
    int runModal();

    // The chosen location after NSModalResponseOK; empty otherwise.
    QUrl URL() const { return urls_.isEmpty() ? QUrl() : urls_.first(); }

    // For presenters: the user confirmed path. The allowed type's extension
    // is added when the name carries none of the allowed types' extensions,
    // and the name field follows. False (nothing stored) for an empty path.
    virtual bool confirm(const QStringList& paths);
    // The file name path gets: path itself, or with the first allowed
    // type's preferred extension appended.
    QString pathWithRequiredExtension(const QString& path) const;

Q_SIGNALS:
    void allowedFileTypesChanged(const QStringList& types);

protected:
    QList<QUrl> urls_;

private:
    QString title_;
    QString message_;
    QString prompt_;
    QUrl directory_;
    QString name_;
    QStringList allowedTypes_;
    bool canCreateDirectories_ = true;
    bool canSelectHiddenExtension_ = false;
    bool extensionHidden_ = false;
    QPointer<QObject> accessory_;
};

class OpenPanel : public SavePanel {
    Q_OBJECT

public:
    explicit OpenPanel(QObject* parent = nullptr);
    ~OpenPanel() override;

    bool isOpenPanel() const override { return true; }

    bool canChooseFiles() const { return canChooseFiles_; }
    void setCanChooseFiles(bool on) { canChooseFiles_ = on; }
    bool canChooseDirectories() const { return canChooseDirectories_; }
    void setCanChooseDirectories(bool on) { canChooseDirectories_ = on; }
    bool allowsMultipleSelection() const { return allowsMultiple_; }
    void setAllowsMultipleSelection(bool on) { allowsMultiple_ = on; }
    // Off (the default): packages such as application bundles are chosen as
    // one item, never entered.
    bool treatsFilePackagesAsDirectories() const { return packagesAsFolders_; }
    void setTreatsFilePackagesAsDirectories(bool on) { packagesAsFolders_ = on; }

    QList<QUrl> URLs() const { return urls_; }

    // Whether the item at path may be chosen with these settings (it must
    // exist; folders count as packages or folders as the settings say).
    bool isSelectable(const QString& path) const;
    // Whether a folder at path is entered rather than chosen.
    bool entersFolder(const QString& path) const;

    // For presenters: keeps the selectable paths (only the first without
    // multiple selection); false, storing nothing, when none is selectable.
    bool confirm(const QStringList& paths) override;

private:
    bool canChooseFiles_ = true;
    bool canChooseDirectories_ = false;
    bool allowsMultiple_ = false;
    bool packagesAsFolders_ = false;
};

}  // namespace corvane::ui
