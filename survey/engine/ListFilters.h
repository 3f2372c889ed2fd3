// The survey list's filter and sort state: an AND of terms of three kinds
// (mode, name search, folder with its exclusions), each replaced only by its
// own command so they combine freely, and one sort order.
//
// Terms keep the textual form the menus compare ("flag3 == 1",
// "urlP.path BEGINSWITH[cd] \"/Applications/\""), and match records
// case- and diacritic-insensitively where the form says [cd].
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvane::survey {

class MyController;

struct FilterTerm {
    enum class Kind { Mode, Search, Folder, FolderExclusion };
    Kind kind = Kind::Mode;
    bool mode32 = false;  // Mode: flag3 must equal this
    QString text;         // Search: the typed prefix; Folder kinds: the folder path followed by "/"

    static FilterTerm mode(bool launches32) { return {Kind::Mode, launches32, {}}; }
    static FilterTerm search(const QString& prefix) { return {Kind::Search, false, prefix}; }
    static FilterTerm folder(const QString& pathWithSlash) { return {Kind::Folder, false, pathWithSlash}; }
    static FilterTerm excluding(const QString& pathWithSlash)
    {
        return {Kind::FolderExclusion, false, pathWithSlash};
    }

    // The term as the predicate language writes it.
    QString format() const;
    bool matches(const MyController& record) const;
    bool operator==(const FilterTerm&) const = default;
};

// Case- and diacritic-insensitive prefix test ([cd]).
bool beginsWithFolded(const QString& text, const QString& prefix);

enum class SortOrder { None, Name, ModificationDate, CreationDate };

// The key of a sort order's descriptor ("string", "previewItemModificationDate",
// "previewItemCreationDate"), empty for None.
QString sortKey(SortOrder order);
SortOrder sortOrderForTag(int tag);

class ListFilters {
public:
    // The current terms; empty means no filter at all.
    const QList<FilterTerm>& terms() const { return terms_; }
    bool isFiltered() const { return !terms_.isEmpty(); }
    bool matches(const MyController& record) const;

    // The mode command: tag 0 all, 1 only 32-bit, 2 only 64-bit; returns
    // whether the filter changed.
    bool applyModeTag(int tag);
    // The search field's text; empty clears the search term.
    bool applySearch(const QString& text);

    // The folder command for a "Go" item whose folder is path (no trailing
    // "/") and whose check mark is on (isOn: turn the folder off) or off.
    // menuFolders are the paths of all items of that menu; exclusions are
    // added for the deeper ones while path has fewer components than
    // shallowLimit.
    bool applyFolder(const QString& path, bool isOn, const QStringList& menuFolders, int shallowLimit);

    // Check marks.
    bool modeItemChecked(int tag) const;
    bool folderItemChecked(const QString& path) const;
    bool hasModeTerm() const;

    // The sort command; returns whether the order changed.
    bool applySortTag(int tag);
    SortOrder sortOrder() const { return sort_; }
    bool sortItemChecked(int tag) const;

private:
    QList<FilterTerm> withoutKind(FilterTerm::Kind kind) const;

    QList<FilterTerm> terms_;
    SortOrder sort_ = SortOrder::None;
};

// The number of path components as the shallow-folder rule counts them: "/"
// is one component ("/Applications/Utilities" has three).
int pathComponentCount(const QString& path);

}  // namespace corvane::survey
