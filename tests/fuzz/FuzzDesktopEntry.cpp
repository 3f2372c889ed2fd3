// Fuzzes the desktop-entry reader and everything that reads its values: the
// localized and list values, the Exec line's quoting and field codes, and the
// mimeapps.list reader, which shares the text format.
#include "platform/registry/DesktopEntry.h"
#include "platform/registry/DesktopLaunch.h"
#include "platform/registry/MimeAssociations.h"

#include <QUrl>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace corvane::registry;
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)parseMimeAppsList(bytes);
    const auto entry = DesktopEntry::parse(bytes);
    if (!entry)
        return 0;
    (void)entry->name();
    (void)entry->list(QStringLiteral("MimeType"));
    (void)entry->isHidden();
    const QString exec = entry->value(QStringLiteral("Exec"));
    if (const auto args = splitExecLine(exec)) {
        const QList<QUrl> documents{QUrl::fromLocalFile(QStringLiteral("/tmp/a b.txt")),
                                    QUrl(QStringLiteral("https://example.org/?q=%20"))};
        (void)expandExecArguments(*args, *entry, documents);
    }
    QStringList quoted;
    for (const QString& arg : splitExecLine(exec).value_or(QStringList()))
        quoted.append(quoteExecArgument(arg));
    (void)splitExecLine(unescapeDesktopValue(escapeDesktopValue(quoted.join(u' '))));
    return 0;
}
