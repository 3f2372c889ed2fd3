#include "platform/ui/IndexSet.h"

#include <algorithm>

namespace corvane::ui {

IndexSet::IndexSet(std::initializer_list<int> indexes)
{
    for (int i : indexes)
        add(i);
}

IndexSet IndexSet::fromList(const QList<int>& indexes)
{
    IndexSet set;
    for (int i : indexes)
        set.add(i);
    return set;
}

IndexSet IndexSet::range(int first, int count)
{
    IndexSet set;
    for (int i = 0; i < count; ++i)
        set.add(first + i);
    return set;
}

bool IndexSet::contains(int index) const
{
    return std::binary_search(indexes_.begin(), indexes_.end(), index);
}

void IndexSet::add(int index)
{
    if (index < 0)
        return;
    const auto it = std::lower_bound(indexes_.begin(), indexes_.end(), index);
    if (it == indexes_.end() || *it != index)
        indexes_.insert(it, index);
}

void IndexSet::remove(int index)
{
    const auto it = std::lower_bound(indexes_.begin(), indexes_.end(), index);
    if (it != indexes_.end() && *it == index)
        indexes_.erase(it);
}

void IndexSet::clip(int count)
{
    const auto it = std::lower_bound(indexes_.begin(), indexes_.end(), std::max(count, 0));
    indexes_.erase(it, indexes_.end());
}

}  // namespace corvane::ui
