// A set of row indexes, kept sorted and without repeats. Negative indexes are
// never members.
#pragma once

#include <QList>

#include <initializer_list>

namespace corvane::ui {

class IndexSet {
public:
    IndexSet() = default;
    IndexSet(std::initializer_list<int> indexes);
    static IndexSet fromList(const QList<int>& indexes);
    // first, first + 1, ..., first + count - 1 (empty when count <= 0).
    static IndexSet range(int first, int count);

    bool isEmpty() const { return indexes_.isEmpty(); }
    int count() const { return int(indexes_.size()); }
    bool contains(int index) const;
    // The smallest and largest member, or -1 when empty.
    int firstIndex() const { return indexes_.isEmpty() ? -1 : indexes_.first(); }
    int lastIndex() const { return indexes_.isEmpty() ? -1 : indexes_.last(); }

    void add(int index);
    void remove(int index);
    // Drops members at or above count.
    void clip(int count);

    const QList<int>& toList() const { return indexes_; }
    QList<int>::const_iterator begin() const { return indexes_.begin(); }
    QList<int>::const_iterator end() const { return indexes_.end(); }

    friend bool operator==(const IndexSet& a, const IndexSet& b)
    {
        return a.indexes_ == b.indexes_;
    }
    friend bool operator!=(const IndexSet& a, const IndexSet& b) { return !(a == b); }

private:
    QList<int> indexes_;
};

}  // namespace corvane::ui
