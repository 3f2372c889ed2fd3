// One survey run and the list it produces. Given a scope (a volume, a
// folder, or nothing for every registered application) it finds the
// candidate bundles on the main thread, classifies them one by one on a
// serial worker, and publishes the whole result list on the main thread when
// the last one has finished. It also holds the list's filters and sort order
// and the commands that change the applications' modes.
#pragma once

#include "platform/foundation/StatusCodes.h"
#include "platform/ui/ArrayController.h"
#include "survey/engine/ApplicationRecord.h"
#include "survey/engine/FolderList.h"
#include "survey/engine/ListFilters.h"
#include "survey/engine/SerialQueue.h"
#include "survey/engine/SurveyHost.h"
#include "survey/engine/SystemLists.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>
#include <vector>

namespace corvane::survey {

class MyModel : public QObject {
    Q_OBJECT

public:
    // host shows the run; it must outlive the model.
    explicit MyModel(SurveyHost& host, QObject* parent = nullptr);
    ~MyModel() override;

    // Starts the run for the scope (an absolute file URL string, or nothing
    // for all applications). Returns once the window is shown and the
    // classifications are under way; published() follows.
    void loadAndShowWindow(const std::optional<QString>& scope);

    // The state of the run.
    const SystemLists& systemLists() const { return lists_; }
    const QString& representedName() const { return representedName_; }
    const QUrl& representedURL() const { return representedURL_; }
    const QString& title() const { return title_; }
    bool isBootVolume() const { return bootVolume_; }
    bool isPublished() const { return published_; }
    // Where the surveyed volume is mounted ("/" for the startup volume).
    const QString& volumeRoot() const { return volumeRoot_; }

    // The records, in the order classification added them; empty until
    // published.
    QList<MyController*> content() const;

    // The classification of one candidate (worker thread).
    void showSource0(const QString& bundlePath);
    // The finish step (worker thread): hands publication to the main thread.
    void setAutomaticallyRearrangesObjects(bool value);
    // Publication (main thread).
    void setAutomaticallyRearrangesObject(bool value);

    // The list: the array controller that arranges the content (records as
    // QObject pointers) by the filters' terms and sort order; its selection is
    // the window's.
    ui::ArrayController& arraycontroller24() { return arraycontroller24_; }
    const ListFilters& filters() const { return filters_; }
    QList<MyController*> arrangedObjects() const;
    static MyController* recordOf(const QVariant& object);
    FolderLayout folderLayout() const;
    // The folders of the "Go" menu: built once, the first time they are
    // asked for after publication (it reads the file system); empty before.
    QList<FolderItem> folderList() const;

    // Blocks (serving the main thread's events) until published; for tools
    // and tests.
    void waitUntilPublished();

    // The list commands: mode filter by tag (0 all, 1 32-bit, 2 64-bit), the
    // search field's text, a "Go" folder item (its folder path and whether
    // its check mark is on), and the sort order by tag.
    void showSource2(int tag);
    void showSource2a(const QString& text);
    void showSource2b(const QString& folderPath, bool itemIsOn);
    void showSource8(int tag);

    // The mode switch: stores the other architecture for the record at the
    // arranged row (-1: no row) and flips it when the registry accepts.
    void showSource(int clickedRow);
    // Stores architecture for the record's bundle through the registry;
    // nothing when the call is missing (the alert has been shown).
    std::optional<OSStatus> storeArchitecture(const MyController& record, const QString& architecture);
    // Re-arranges when a mode term filters the list (after a flag3 change).
    void refilterAfterModeChange();

    // Export: the user's architecture settings as a settings file (binary
    // property list), or nothing when there are none.
    static std::optional<QByteArray> exportedSettings();
    // Whether bytes are a settings file import can apply.
    static bool isSettingsFile(const QByteArray& bytes);
    // Import: applies a settings file to every record of the content whose
    // bundle it names; returns the records changed. Unsuitable files change
    // nothing.
    QList<MyController*> importSettings(const QByteArray& settingsFile);

Q_SIGNALS:
    void published();
    // The arranged objects changed: filter, sort order, or a re-arrangement.
    void arrangementChanged();

private:
    void discover(const std::optional<QString>& scope, QStringList& candidates);
    // Hands the filters' terms and sort order to the array controller.
    void applyFilters();
    void applySortOrder();
    void queueClassifications(const QStringList& candidates);
    void showIncompatibleSystemAlert();

    SurveyHost& host_;
    SystemLists lists_;
    QString representedName_;
    QString title_;
    QUrl representedURL_;
    QString volumeRoot_ = QStringLiteral("/");
    bool bootVolume_ = false;
    bool published_ = false;
    std::vector<std::unique_ptr<MyController>> content_;
    ListFilters filters_;
    ui::ArrayController arraycontroller24_;
    mutable std::optional<QList<FolderItem>> folderList_;
    std::unique_ptr<SerialQueue> queue_;
};

}  // namespace corvane::survey
