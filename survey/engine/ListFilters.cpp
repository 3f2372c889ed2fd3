#include "survey/engine/ListFilters.h"

#include "survey/engine/ApplicationRecord.h"

namespace corvane::survey {

namespace {

// Decomposes, drops combining marks and folds case, so that "É" matches "e".
QString folded(const QString& s)
{
    const QString decomposed = s.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    for (QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            out.append(c);
    }
    return out.toCaseFolded();
}

QString quoted(const QString& s)
{
    QString escaped = s;
    escaped.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    return u'"' + escaped + u'"';
}

bool isFolderKind(FilterTerm::Kind k)
{
    return k == FilterTerm::Kind::Folder || k == FilterTerm::Kind::FolderExclusion;
}

}  // namespace

bool beginsWithFolded(const QString& text, const QString& prefix)
{
    return folded(text).startsWith(folded(prefix));
}

QString FilterTerm::format() const
{
    switch (kind) {
    case Kind::Mode:
        return mode32 ? QStringLiteral("flag3 == 1") : QStringLiteral("flag3 == 0");
    case Kind::Search:
        return QStringLiteral("string BEGINSWITH[cd] ") + quoted(text);
    case Kind::Folder:
        return QStringLiteral("urlP.path BEGINSWITH[cd] ") + quoted(text);
    case Kind::FolderExclusion:
        return QStringLiteral("NOT urlP.path BEGINSWITH[cd] ") + quoted(text);
    }
    return {};
}

bool FilterTerm::matches(const MyController& record) const
{
    switch (kind) {
    case Kind::Mode:
        return record.flag3() == mode32;
    case Kind::Search:
        return beginsWithFolded(record.string(), text);
    case Kind::Folder:
        return beginsWithFolded(record.urlPPath(), text);
    case Kind::FolderExclusion:
        return !beginsWithFolded(record.urlPPath(), text);
    }
    return false;
}

bool ListFilters::matches(const MyController& record) const
{
    for (const FilterTerm& t : terms_) {
        if (!t.matches(record))
            return false;
    }
    return true;
}

QList<FilterTerm> ListFilters::withoutKind(FilterTerm::Kind kind) const
{
    QList<FilterTerm> kept;
    for (const FilterTerm& t : terms_) {
        const bool sameKind = isFolderKind(kind) ? isFolderKind(t.kind) : t.kind == kind;
        if (!sameKind)
            kept.append(t);
    }
    return kept;
}

bool ListFilters::applyModeTag(int tag)
{
    if (tag == 0) {
        if (terms_.isEmpty())
            return false;
        terms_ = withoutKind(FilterTerm::Kind::Mode);
        return true;
    }
    if (tag != 1 && tag != 2)
        return false;
    QList<FilterTerm> next = withoutKind(FilterTerm::Kind::Mode);
    next.append(FilterTerm::mode(tag == 1));
    terms_ = next;
    return true;
}

bool ListFilters::applySearch(const QString& text)
{
    if (text.isEmpty()) {
        if (terms_.isEmpty())
            return false;
        terms_ = withoutKind(FilterTerm::Kind::Search);
        return true;
    }
    QList<FilterTerm> next{FilterTerm::search(text)};
    next.append(withoutKind(FilterTerm::Kind::Search));
    terms_ = next;
    return true;
}

bool ListFilters::applyFolder(const QString& path, bool isOn, const QStringList& menuFolders,
                              int shallowLimit)
{
    if (isOn) {
        if (terms_.isEmpty())
            return false;
        terms_ = withoutKind(FilterTerm::Kind::Folder);
        return true;
    }
    const QString prefix = path + u'/';
    QList<FilterTerm> next{FilterTerm::folder(prefix)};
    if (pathComponentCount(path) < shallowLimit) {
        for (const QString& other : menuFolders) {
            if (other.startsWith(prefix))
                next.append(FilterTerm::excluding(other + u'/'));
        }
    }
    next.append(withoutKind(FilterTerm::Kind::Folder));
    terms_ = next;
    return true;
}

bool ListFilters::hasModeTerm() const
{
    for (const FilterTerm& t : terms_) {
        if (t.kind == FilterTerm::Kind::Mode)
            return true;
    }
    return false;
}

bool ListFilters::modeItemChecked(int tag) const
{
    if (tag == 0)
        return !hasModeTerm();
    const FilterTerm wanted = FilterTerm::mode(tag == 1);
    return terms_.contains(wanted);
}

bool ListFilters::folderItemChecked(const QString& path) const
{
    return terms_.contains(FilterTerm::folder(path + u'/'));
}

QString sortKey(SortOrder order)
{
    switch (order) {
    case SortOrder::None:
        return {};
    case SortOrder::Name:
        return QStringLiteral("string");
    case SortOrder::ModificationDate:
        return QStringLiteral("previewItemModificationDate");
    case SortOrder::CreationDate:
        return QStringLiteral("previewItemCreationDate");
    }
    return {};
}

SortOrder sortOrderForTag(int tag)
{
    switch (tag) {
    case 0:
        return SortOrder::None;
    case 1:
        return SortOrder::Name;
    case 2:
        return SortOrder::ModificationDate;
    default:
        return SortOrder::CreationDate;
    }
}

bool ListFilters::applySortTag(int tag)
{
    const SortOrder wanted = sortOrderForTag(tag);
    if (wanted == sort_)
        return false;  // the same order again does not reverse it
    sort_ = wanted;
    return true;
}

bool ListFilters::sortItemChecked(int tag) const
{
    return sortOrderForTag(tag) == sort_;
}

int pathComponentCount(const QString& path)
{
    if (path.isEmpty())
        return 0;
    const int root = path.startsWith(u'/') ? 1 : 0;
    return root + static_cast<int>(path.split(u'/', Qt::SkipEmptyParts).size());
}

}  // namespace corvane::survey
