// The array controller behind a table: content (a list of objects), a filter
// predicate, sort descriptors, the arranged objects that result, and the
// selection as indexes into the arranged objects.
//
// Objects are QVariants holding something with identity (a QObject pointer,
// a shared pointer, a map): the selection follows objects by QVariant
// equality when the arrangement changes. Values of objects are read by key
// path through a KeyValueReader; the default one reads QObject properties
// and map entries, following dots ("urlP.path"; a QUrl answers "path" with
// its local file path).
//
// The controller re-arranges by itself when its content, predicate or sort
// descriptors are set, never when an object's values change: the owner
// calls rearrangeObjects() then. Main thread only.
#pragma once

#include "platform/ui/IndexSet.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>

namespace corvane::ui {

// One key of a sort: values compared by comparator (negative, zero or
// positive, like a three-way compare) or, without one, by
// compareValuesForSort(). A descending descriptor reverses the comparison.
struct SortDescriptor {
    using Comparator = std::function<int(const QVariant& a, const QVariant& b)>;

    QString key;
    bool ascending = true;
    Comparator comparator;
};

// The plain comparison: an invalid value (or the null marker) sorts before
// every valid one; numbers by value, dates and times by time, strings by
// code units, and values of other types by their string form.
int compareValuesForSort(const QVariant& a, const QVariant& b);

class ArrayController : public QObject {
    Q_OBJECT

public:
    using KeyValueReader = std::function<QVariant(const QVariant& object, const QString& keyPath)>;
    using Predicate = std::function<bool(const QVariant& object)>;

    explicit ArrayController(QObject* parent = nullptr);
    ~ArrayController() override;

    // The default reader (see above); an unknown key reads as invalid.
    static QVariant valueForKeyPath(const QVariant& object, const QString& keyPath);
    void setKeyValueReader(KeyValueReader reader);
    QVariant valueForKeyPathOfObject(const QVariant& object, const QString& keyPath) const;

    const QVariantList& content() const { return content_; }
    void setContent(const QVariantList& content);
    // Appends to the content and arranges again.
    void addObject(const QVariant& object);
    void removeObject(const QVariant& object);

    // Null means every object is shown. The predicate must not change the
    // controller.
    const Predicate& filterPredicate() const { return predicate_; }
    void setFilterPredicate(Predicate predicate);
    const QList<SortDescriptor>& sortDescriptors() const { return sortDescriptors_; }
    void setSortDescriptors(const QList<SortDescriptor>& descriptors);

    // The content that passes the predicate, sorted by the descriptors (a
    // stable sort: equal objects keep their content order; with no
    // descriptors the content order).
    const QVariantList& arrangedObjects() const { return arranged_; }
    int arrangedCount() const { return int(arranged_.size()); }
    // Filters and sorts again; the selection keeps the objects that are
    // still arranged.
    void rearrangeObjects();

    const IndexSet& selectionIndexes() const { return selection_; }
    // Selects indexes of arranged objects (others are dropped); false when
    // nothing changed.
    bool setSelectionIndexes(const IndexSet& indexes);
    // The smallest selected index, or -1.
    int selectionIndex() const { return selection_.firstIndex(); }
    // The selected objects in arranged order.
    QVariantList selectedObjects() const;
    bool setSelectedObjects(const QVariantList& objects);

    // When on (the default), a new arrangement with no selection left selects
    // its first object; an explicit empty selection stays empty.
    bool avoidsEmptySelection() const { return avoidsEmptySelection_; }
    void setAvoidsEmptySelection(bool on) { avoidsEmptySelection_ = on; }

Q_SIGNALS:
    void contentChanged();
    // The arranged objects were rebuilt (rows may all have changed).
    void arrangedObjectsChanged();
    // The selected indexes or the selected objects changed.
    void selectionChanged();

private:
    void arrange();
    QVariantList sorted(const QVariantList& objects) const;
    int compareKeys(const QVariantList& a, const QVariantList& b) const;

    QVariantList content_;
    QVariantList arranged_;
    Predicate predicate_;
    QList<SortDescriptor> sortDescriptors_;
    IndexSet selection_;
    KeyValueReader reader_;
    bool avoidsEmptySelection_ = true;
};

}  // namespace corvane::ui
