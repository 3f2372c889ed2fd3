// The order in which the desktop's file manager lists names: the locale's
// collation, ignoring case and character width, digit runs compared by value,
// composed and decomposed accents alike, and a final tie-break so that only
// identical strings compare equal.
#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

namespace corvane {

// Compares first with second under the locale the context points at; returns
// -1, 0 or 1. A null context, or a C/POSIX locale (which collates by code
// point and knows no numeric mode), compares under U.S. English instead.
// The signature fits sorts that pass a context pointer to their comparator.
int finderSortWithLocale(const QString& first, const QString& second, const void* locale);

// Sorts names in place in that order, under the given locale.
void sortInFinderOrder(QStringList& names, const QLocale& locale);

}  // namespace corvane
