#include "platform/ui/ArrayController.h"

#include "platform/foundation/NullMarker.h"

#include <QDateTime>
#include <QUrl>

#include <algorithm>
#include <vector>

namespace corvane::ui {

namespace {

// Key paths come from code, not users; the bound only stops a runaway path.
constexpr int kMaxKeyPathComponents = 16;

QVariant valueForKey(const QVariant& object, const QString& key)
{
    if (!object.isValid() || isNullMarker(object))
        return {};
    if (object.canConvert<QObject*>()) {
        const QObject* o = object.value<QObject*>();
        return o ? o->property(key.toUtf8().constData()) : QVariant();
    }
    switch (object.metaType().id()) {
    case QMetaType::QVariantMap:
        return object.toMap().value(key);
    case QMetaType::QVariantHash:
        return object.toHash().value(key);
    case QMetaType::QUrl:
        if (key == QLatin1String("path")) {
            const QUrl url = object.toUrl();
            return url.isLocalFile() ? url.toLocalFile() : url.path();
        }
        if (key == QLatin1String("absoluteString"))
            return object.toUrl().toString();
        return {};
    default:
        return {};
    }
}

bool isNumber(const QVariant& v)
{
    switch (v.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

// A bottom-up merge sort of the indexes 0..count-1. Every access is bounded
// by the loop indexes, never by what the comparator says, so a comparator
// that is not a strict weak order (a user's, or one with a bug) gives some
// permutation instead of reading out of bounds, as the standard library's
// sorts may. Stable: on a tie the earlier index comes first.
template <class Less>
std::vector<int> stableMergeOrder(int count, const Less& less)
{
    std::vector<int> order(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i)
        order[size_t(i)] = i;
    std::vector<int> buffer(order.size());
    for (int width = 1; width < count; width *= 2) {
        for (int left = 0; left < count; left += 2 * width) {
            const int mid = std::min(left + width, count);
            const int right = std::min(left + 2 * width, count);
            int i = left, j = mid, out = left;
            while (i < mid && j < right)
                buffer[size_t(out++)] = less(order[size_t(j)], order[size_t(i)])
                                            ? order[size_t(j++)]
                                            : order[size_t(i++)];
            while (i < mid)
                buffer[size_t(out++)] = order[size_t(i++)];
            while (j < right)
                buffer[size_t(out++)] = order[size_t(j++)];
        }
        order.swap(buffer);
    }
    return order;
}

template <class T>
int threeWay(const T& a, const T& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

int compareValuesForSort(const QVariant& a, const QVariant& b)
{
    const bool aValid = a.isValid() && !isNullMarker(a);
    const bool bValid = b.isValid() && !isNullMarker(b);
    if (!aValid || !bValid)
        return int(aValid) - int(bValid);
    if (isNumber(a) && isNumber(b))
        return threeWay(a.toDouble(), b.toDouble());
    const int ta = a.metaType().id();
    const int tb = b.metaType().id();
    if (ta == QMetaType::QDateTime && tb == QMetaType::QDateTime)
        return threeWay(a.toDateTime(), b.toDateTime());
    if (ta == QMetaType::QDate && tb == QMetaType::QDate)
        return threeWay(a.toDate(), b.toDate());
    return threeWay(a.toString(), b.toString());
}

ArrayController::ArrayController(QObject* parent) : QObject(parent) {}

ArrayController::~ArrayController() = default;

QVariant ArrayController::valueForKeyPath(const QVariant& object, const QString& keyPath)
{
    QVariant value = object;
    const QStringList keys = keyPath.split(QLatin1Char('.'));
    if (keys.size() > kMaxKeyPathComponents)
        return {};
    for (const QString& key : keys) {
        value = valueForKey(value, key);
        if (!value.isValid())
            break;
    }
    return value;
}

void ArrayController::setKeyValueReader(KeyValueReader reader)
{
    reader_ = std::move(reader);
    if (!sortDescriptors_.isEmpty())
        rearrangeObjects();
}

QVariant ArrayController::valueForKeyPathOfObject(const QVariant& object,
                                                  const QString& keyPath) const
{
    return reader_ ? reader_(object, keyPath) : valueForKeyPath(object, keyPath);
}

void ArrayController::setContent(const QVariantList& content)
{
    content_ = content;
    Q_EMIT contentChanged();
    arrange();
}

void ArrayController::addObject(const QVariant& object)
{
    content_.append(object);
    Q_EMIT contentChanged();
    arrange();
}

void ArrayController::removeObject(const QVariant& object)
{
    if (content_.removeAll(object) == 0)
        return;
    Q_EMIT contentChanged();
    arrange();
}

void ArrayController::setFilterPredicate(Predicate predicate)
{
    predicate_ = std::move(predicate);
    arrange();
}

void ArrayController::setSortDescriptors(const QList<SortDescriptor>& descriptors)
{
    sortDescriptors_ = descriptors;
    arrange();
}

void ArrayController::rearrangeObjects()
{
    arrange();
}

int ArrayController::compareKeys(const QVariantList& a, const QVariantList& b) const
{
    for (qsizetype i = 0; i < sortDescriptors_.size(); ++i) {
        const SortDescriptor& d = sortDescriptors_.at(i);
        int order =
            d.comparator ? d.comparator(a.at(i), b.at(i)) : compareValuesForSort(a.at(i), b.at(i));
        if (!d.ascending)
            order = -order;
        if (order != 0)
            return order;
    }
    return 0;
}

QVariantList ArrayController::sorted(const QVariantList& objects) const
{
    // Each object's keys are read once, not once per comparison.
    std::vector<QVariantList> keys;
    keys.reserve(size_t(objects.size()));
    for (const QVariant& object : objects) {
        QVariantList k;
        for (const SortDescriptor& d : sortDescriptors_)
            k.append(valueForKeyPathOfObject(object, d.key));
        keys.push_back(std::move(k));
    }
    const std::vector<int> order = stableMergeOrder(int(objects.size()), [&](int a, int b) {
        return compareKeys(keys[size_t(a)], keys[size_t(b)]) < 0;
    });
    QVariantList result;
    result.reserve(objects.size());
    for (int i : order)
        result.append(objects.at(i));
    return result;
}

void ArrayController::arrange()
{
    const QVariantList previouslySelected = selectedObjects();
    const IndexSet previousIndexes = selection_;

    QVariantList arranged;
    arranged.reserve(content_.size());
    for (const QVariant& object : std::as_const(content_)) {
        if (!predicate_ || predicate_(object))
            arranged.append(object);
    }
    if (!sortDescriptors_.isEmpty())
        arranged = sorted(arranged);
    arranged_ = std::move(arranged);

    IndexSet selection;
    for (const QVariant& object : previouslySelected) {
        const qsizetype i = arranged_.indexOf(object);
        if (i >= 0)
            selection.add(int(i));
    }
    if (selection.isEmpty() && avoidsEmptySelection_ && !arranged_.isEmpty())
        selection.add(0);
    selection_ = selection;
    Q_EMIT arrangedObjectsChanged();
    if (selection_ != previousIndexes || selectedObjects() != previouslySelected)
        Q_EMIT selectionChanged();
}

bool ArrayController::setSelectionIndexes(const IndexSet& indexes)
{
    IndexSet clipped = indexes;
    clipped.clip(int(arranged_.size()));
    if (clipped == selection_)
        return false;
    selection_ = clipped;
    Q_EMIT selectionChanged();
    return true;
}

QVariantList ArrayController::selectedObjects() const
{
    QVariantList objects;
    for (int i : selection_)
        objects.append(arranged_.at(i));
    return objects;
}

bool ArrayController::setSelectedObjects(const QVariantList& objects)
{
    IndexSet indexes;
    for (const QVariant& object : objects) {
        const qsizetype i = arranged_.indexOf(object);
        if (i >= 0)
            indexes.add(int(i));
    }
    return setSelectionIndexes(indexes);
}

}  // namespace corvane::ui
