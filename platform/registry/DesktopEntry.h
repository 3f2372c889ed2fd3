// Desktop entries: the "*.desktop" files through which Linux desktops
// register applications (in the XDG data folders' "applications"), start
// programs at login (the "autostart" folder) and name document handlers.
//
// Only the [Desktop Entry] group is read. Files are bounded (see
// kMaxDesktopEntryBytes); malformed lines are skipped, never fatal, so a
// damaged entry reads as an entry with fewer keys. Values are UTF-8; string
// escapes (\s \n \t \r \\) are decoded on access.
//
// The Exec line is split into an argument vector here by the quoting rules of
// the format, and never handed to a shell.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvane::registry {

inline constexpr qint64 kMaxDesktopEntryBytes = 512 * 1024;

class DesktopEntry {
public:
    // The entry in the file at path; nothing when the file cannot be read, is
    // larger than kMaxDesktopEntryBytes, or has no [Desktop Entry] group.
    static std::optional<DesktopEntry> readFile(const QString& path);
    // The same from bytes already read (path() is then empty).
    static std::optional<DesktopEntry> parse(const QByteArray& bytes);

    const QString& path() const { return path_; }

    bool contains(const QString& key) const { return raw_.contains(key); }
    // A string value with its escapes decoded; empty when absent.
    QString value(const QString& key) const;
    // The value for the locale (key[ll_CC], then key[ll]), else value(key).
    QString localizedValue(const QString& key, const QLocale& locale = QLocale::system()) const;
    // A list value (';'-separated, "\;" for a literal semicolon), empty
    // items dropped.
    QStringList list(const QString& key) const;
    // "true" is true, "false" is false, anything else the fallback.
    bool boolean(const QString& key, bool fallback = false) const;

    QString type() const { return value(QStringLiteral("Type")); }
    bool isApplication() const { return type() == QStringLiteral("Application"); }
    // Hidden=true: the entry is deleted, as if it did not exist.
    bool isHidden() const { return boolean(QStringLiteral("Hidden")); }
    // The localized Name.
    QString name() const { return localizedValue(QStringLiteral("Name")); }

private:
    QString path_;
    QHash<QString, QString> raw_;  // key (with any [locale]) -> value as written
};

// Decodes the string escapes of a desktop-entry value.
QString unescapeDesktopValue(const QString& raw);
// Encodes a string for a desktop-entry value (the inverse of the above).
QString escapeDesktopValue(const QString& text);

// Splits an Exec value (already unescaped as a string) into arguments:
// blanks separate arguments; double quotes group, and inside them a
// backslash takes the next character literally. Field codes (%f, %U, ...)
// are left in place. Nothing when a quote is not closed or the line is empty.
std::optional<QStringList> splitExecLine(const QString& exec);

// Quotes one argument so that splitExecLine gives it back unchanged and no
// '%' in it is read as a field code. The result still needs
// escapeDesktopValue before it is written to a file.
QString quoteExecArgument(const QString& argument);

// The desktop-file ID of an entry below an "applications" folder: its
// relative path with '/' replaced by '-' ("kde/konsole.desktop" ->
// "kde-konsole.desktop").
QString desktopFileId(const QString& applicationsFolder, const QString& entryPath);

}  // namespace corvane::registry
