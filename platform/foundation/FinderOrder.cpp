#include "platform/foundation/FinderOrder.h"

#include <QCollator>
#include <QCollatorSortKey>

#include <algorithm>
#include <vector>

namespace corvane {

namespace {

QLocale collatingLocale(const QLocale& requested)
{
    // Qt's C locale collates by code point and ignores numeric mode, which
    // would put "Name 10" before "Name 2": use a real locale instead.
    if (requested.language() == QLocale::C)
        return QLocale(QLocale::English, QLocale::UnitedStates);
    return requested;
}

// The two collators of one locale: the comparison proper (case- and
// width-insensitive) and the case-sensitive first tie-break.
struct Collators {
    QLocale locale;
    QCollator loose;
    QCollator strict;

    explicit Collators(const QLocale& l) : locale(l), loose(l), strict(l)
    {
        loose.setNumericMode(true);
        loose.setCaseSensitivity(Qt::CaseInsensitive);
        strict.setNumericMode(true);
        strict.setCaseSensitivity(Qt::CaseSensitive);
    }
};

// Collators are costly to make; each thread keeps the last locale's pair.
Collators& collatorsFor(const QLocale& locale)
{
    thread_local std::unique_ptr<Collators> cached;
    const QLocale effective = collatingLocale(locale);
    if (!cached || cached->locale != effective)
        cached = std::make_unique<Collators>(effective);
    return *cached;
}

int sign(int v)
{
    return (v > 0) - (v < 0);
}

}  // namespace

int finderSortWithLocale(const QString& first, const QString& second, const void* locale)
{
    const QLocale& requested = locale ? *static_cast<const QLocale*>(locale) : QLocale::c();
    Collators& c = collatorsFor(requested);
    if (int r = c.loose.compare(first, second))
        return sign(r);
    if (int r = c.strict.compare(first, second))
        return sign(r);
    return sign(QString::compare(first, second, Qt::CaseSensitive));
}

void sortInFinderOrder(QStringList& names, const QLocale& locale)
{
    Collators& c = collatorsFor(locale);
    struct Entry {
        QCollatorSortKey loose;
        QCollatorSortKey strict;
        qsizetype index;
    };
    // Sort keys make each comparison a byte comparison: several times faster
    // than collating the strings afresh in every comparison.
    std::vector<Entry> entries;
    entries.reserve(static_cast<size_t>(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i)
        entries.push_back({c.loose.sortKey(names[i]), c.strict.sortKey(names[i]), i});
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        if (int r = a.loose.compare(b.loose))
            return r < 0;
        if (int r = a.strict.compare(b.strict))
            return r < 0;
        return QString::compare(names[a.index], names[b.index], Qt::CaseSensitive) < 0;
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const Entry& e : entries)
        sorted.append(names[e.index]);
    names = std::move(sorted);
}

}  // namespace corvane
