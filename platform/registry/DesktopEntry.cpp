#include "platform/registry/DesktopEntry.h"

#include "platform/foundation/FileIO.h"

#include <QDir>

namespace corvane::registry {

namespace {

const QString kMainGroup = QStringLiteral("Desktop Entry");

bool isKeyCharacter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
           c == u'-';
}

// A key is letters, digits and '-', optionally followed by "[locale]".
bool isValidKey(const QString& key)
{
    qsizetype i = 0;
    while (i < key.size() && isKeyCharacter(key.at(i)))
        ++i;
    if (i == 0)
        return false;
    if (i == key.size())
        return true;
    return key.at(i) == u'[' && key.endsWith(u']') && key.size() > i + 2 &&
           !key.mid(i + 1, key.size() - i - 2).contains(u'[');
}

// Fills raw with the key-value lines of the main group; false when the file
// has no such group.
bool readMainGroup(const QString& text, QHash<QString, QString>& raw)
{
    bool inMain = false;
    bool seenMain = false;
    for (const QStringView line : QStringView(text).split(u'\n')) {
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;
        if (trimmed.startsWith(u'[')) {
            if (seenMain && inMain)
                break;  // the main group ended
            inMain = trimmed == QStringView(u"[Desktop Entry]");
            seenMain = seenMain || inMain;
            continue;
        }
        if (!inMain)
            continue;
        const qsizetype eq = trimmed.indexOf(u'=');
        if (eq <= 0)
            continue;
        const QString key = trimmed.left(eq).trimmed().toString();
        if (!isValidKey(key) || raw.contains(key))
            continue;  // later duplicates are ignored
        raw.insert(key, trimmed.mid(eq + 1).trimmed().toString());
    }
    return seenMain;
}

}  // namespace

std::optional<DesktopEntry> DesktopEntry::readFile(const QString& path)
{
    const auto bytes = readRegularFile(path, kMaxDesktopEntryBytes);
    if (!bytes)
        return std::nullopt;
    auto entry = parse(*bytes);
    if (entry)
        entry->path_ = path;
    return entry;
}

std::optional<DesktopEntry> DesktopEntry::parse(const QByteArray& bytes)
{
    if (bytes.size() > kMaxDesktopEntryBytes)
        return std::nullopt;
    DesktopEntry entry;
    if (!readMainGroup(QString::fromUtf8(bytes), entry.raw_))
        return std::nullopt;
    return entry;
}

QString DesktopEntry::value(const QString& key) const
{
    return unescapeDesktopValue(raw_.value(key));
}

QString DesktopEntry::localizedValue(const QString& key, const QLocale& locale) const
{
    const QString name = locale.name();  // "de_DE", or "C"
    const QString language = name.section(u'_', 0, 0);
    for (const QString& tag : {name, language}) {
        if (tag.isEmpty() || tag == u'C')
            continue;
        const QString localized = key + u'[' + tag + u']';
        if (raw_.contains(localized))
            return value(localized);
    }
    return value(key);
}

QStringList DesktopEntry::list(const QString& key) const
{
    const QString raw = raw_.value(key);
    QStringList items;
    QString current;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c == u'\\' && i + 1 < raw.size() && raw.at(i + 1) == u';') {
            current += u';';
            ++i;
        } else if (c == u';') {
            items.append(current);
            current.clear();
        } else {
            current += c;
        }
    }
    items.append(current);
    QStringList result;
    for (const QString& item : items) {
        const QString text = unescapeDesktopValue(item).trimmed();
        if (!text.isEmpty())
            result.append(text);
    }
    return result;
}

bool DesktopEntry::boolean(const QString& key, bool fallback) const
{
    const QString v = raw_.value(key).trimmed();
    if (v == QStringLiteral("true"))
        return true;
    if (v == QStringLiteral("false"))
        return false;
    return fallback;
}

QString unescapeDesktopValue(const QString& raw)
{
    if (!raw.contains(u'\\'))
        return raw;
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c != u'\\' || i + 1 == raw.size()) {
            out += c;
            continue;
        }
        const QChar next = raw.at(++i);
        switch (next.unicode()) {
        case u's':
            out += u' ';
            break;
        case u'n':
            out += u'\n';
            break;
        case u't':
            out += u'\t';
            break;
        case u'r':
            out += u'\r';
            break;
        case u'\\':
            out += u'\\';
            break;
        default:  // unknown escapes stay as written (";" of lists among them)
            out += c;
            out += next;
        }
    }
    return out;
}

QString escapeDesktopValue(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case u'\\':
            out += QStringLiteral("\\\\");
            break;
        case u'\n':
            out += QStringLiteral("\\n");
            break;
        case u'\t':
            out += QStringLiteral("\\t");
            break;
        case u'\r':
            out += QStringLiteral("\\r");
            break;
        case u' ':  // leading blanks would be trimmed away
            out += i == 0 ? QStringLiteral("\\s") : QStringLiteral(" ");
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::optional<QStringList> splitExecLine(const QString& exec)
{
    QStringList args;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (quoted) {
            if (c == u'\\' && i + 1 < exec.size()) {
                current += exec.at(++i);
            } else if (c == u'"') {
                quoted = false;
            } else {
                current += c;
            }
        } else if (c == u' ' || c == u'\t' || c == u'\n') {
            if (inArgument)
                args.append(current);
            current.clear();
            inArgument = false;
        } else if (c == u'"') {
            quoted = true;
            inArgument = true;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inArgument)
        args.append(current);
    if (args.isEmpty())
        return std::nullopt;
    return args;
}

QString quoteExecArgument(const QString& argument)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            out += u'\\';
        out += c;
        if (c == u'%')
            out += u'%';  // "%%" is a literal percent sign
    }
    out += u'"';
    return out;
}

QString desktopFileId(const QString& applicationsFolder, const QString& entryPath)
{
    QString relative = QDir(applicationsFolder).relativeFilePath(entryPath);
    return relative.replace(u'/', u'-');
}

}  // namespace corvane::registry
