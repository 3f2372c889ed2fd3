// Desktop entries, Exec lines and mimeapps.list files, read from text: what
// the format allows is understood, what it does not is passed over, and what
// is written comes back unchanged.
#include "platform/registry/DesktopEntry.h"
#include "platform/registry/DesktopLaunch.h"
#include "platform/registry/MimeAssociations.h"

#include <gtest/gtest.h>

using namespace corvane::registry;

namespace {

DesktopEntry parsed(const char* text)
{
    const auto entry = DesktopEntry::parse(QByteArray(text));
    EXPECT_TRUE(entry) << text;
    return entry.value_or(*DesktopEntry::parse("[Desktop Entry]\n"));
}

}  // namespace

TEST(DesktopEntryTest, ReadsTheMainGroupOnlyAndTheFirstOfDuplicateKeys)
{
    const DesktopEntry e = parsed(
        "# comment\n"
        "[Desktop Entry]\n"
        "Type = Application\n"
        "Name=Viewer\n"
        "Name=Second\n"
        "Comment=a\\sb\\nc\\td\\\\e\\;f\n"
        "broken line without equals\n"
        "Bad Key=x\n"
        "[Desktop Action new]\n"
        "Exec=other\n");
    EXPECT_TRUE(e.isApplication());
    EXPECT_EQ(e.name(), QStringLiteral("Viewer"));
    EXPECT_EQ(e.value(QStringLiteral("Comment")), QStringLiteral("a b\nc\td\\e\\;f"));
    EXPECT_FALSE(e.contains(QStringLiteral("Exec"))) << "a key of another group leaked in";
    EXPECT_FALSE(e.contains(QStringLiteral("Bad Key")));
    EXPECT_FALSE(DesktopEntry::parse("[Other]\nName=x\n")) << "no main group is no entry";
    EXPECT_FALSE(DesktopEntry::parse(QByteArray(kMaxDesktopEntryBytes + 1, 'x')));
}

TEST(DesktopEntryTest, LocalizedValuesListsAndBooleans)
{
    const DesktopEntry e = parsed(
        "[Desktop Entry]\nName=Files\nName[de]=Dateien\nName[pt_BR]=Arquivos\n"
        "MimeType=text/plain;image/png;;a\\;b;\nHidden=true\nTerminal=yes\n");
    EXPECT_EQ(e.localizedValue(QStringLiteral("Name"), QLocale(QStringLiteral("de_AT"))),
              QStringLiteral("Dateien"));
    EXPECT_EQ(e.localizedValue(QStringLiteral("Name"), QLocale(QStringLiteral("pt_BR"))),
              QStringLiteral("Arquivos"));
    EXPECT_EQ(e.localizedValue(QStringLiteral("Name"), QLocale::c()), QStringLiteral("Files"));
    EXPECT_EQ(e.list(QStringLiteral("MimeType")),
              (QStringList{QStringLiteral("text/plain"), QStringLiteral("image/png"),
                           QStringLiteral("a;b")}));
    EXPECT_TRUE(e.isHidden());
    EXPECT_TRUE(e.boolean(QStringLiteral("Terminal"), true)) << "\"yes\" is no boolean";
    EXPECT_FALSE(e.boolean(QStringLiteral("Terminal"), false));
}

TEST(DesktopEntryTest, ExecLinesSplitByTheQuotingRules)
{
    EXPECT_EQ(splitExecLine(QStringLiteral("  vim   -R %f ")),
              (QStringList{QStringLiteral("vim"), QStringLiteral("-R"), QStringLiteral("%f")}));
    EXPECT_EQ(splitExecLine(QStringLiteral("\"/opt/My App/run\" \"a \\\"b\\\" \\$c \\\\d\" \"\"")),
              (QStringList{QStringLiteral("/opt/My App/run"), QStringLiteral("a \"b\" $c \\d"),
                           QString()}));
    EXPECT_FALSE(splitExecLine(QStringLiteral("run \"unclosed")));
    EXPECT_FALSE(splitExecLine(QStringLiteral("   ")));
}

TEST(DesktopEntryTest, WrittenArgumentsAndValuesComeBackUnchanged)
{
    const QStringList awkward{QStringLiteral("/tmp/Ünïcode folder/My \"App\".app"),
                              QStringLiteral("100% sure %f"),
                              QStringLiteral("back\\slash `tick` $HOME"),
                              QStringLiteral(" blanks at both ends "),
                              QStringLiteral("line\nbreak\ttab"),
                              QString()};
    QStringList quoted;
    for (const QString& a : awkward)
        quoted.append(quoteExecArgument(a));
    const QByteArray file = "[Desktop Entry]\nType=Application\nExec=" +
                            escapeDesktopValue(quoted.join(u' ')).toUtf8() +
                            "\nName=" + escapeDesktopValue(awkward.at(3)).toUtf8() + "\n";
    const DesktopEntry e = parsed(file.constData());
    EXPECT_EQ(e.name(), awkward.at(3));
    const auto split = splitExecLine(e.value(QStringLiteral("Exec")));
    ASSERT_TRUE(split);
    EXPECT_EQ(expandExecArguments(*split, e, {}), awkward)
        << "quoting lost characters or left a '%' to be read as a field code";
}

TEST(DesktopEntryTest, FieldCodesExpandIntoWholeArguments)
{
    const DesktopEntry e = parsed("[Desktop Entry]\nType=Application\nName=Edit\nIcon=edit-icon\n");
    const QList<QUrl> docs{QUrl::fromLocalFile(QStringLiteral("/d/a b.txt")),
                           QUrl(QStringLiteral("https://example.org/x?q=1%202")),
                           QUrl::fromLocalFile(QStringLiteral("/d/c.txt"))};
    const auto exec =
        splitExecLine(QStringLiteral("edit %i --name=%c %F -- %U %d %k --file=%f lit%%f"));
    ASSERT_TRUE(exec);
    EXPECT_EQ(
        expandExecArguments(*exec, e, docs),
        (QStringList{
            QStringLiteral("edit"), QStringLiteral("--icon"), QStringLiteral("edit-icon"),
            QStringLiteral("--name=Edit"), QStringLiteral("/d/a b.txt"), QStringLiteral("/d/c.txt"),
            QStringLiteral("--"), QStringLiteral("file:///d/a%20b.txt"),
            QStringLiteral("https://example.org/x?q=1%202"), QStringLiteral("file:///d/c.txt"),
            QStringLiteral("--file=/d/a b.txt"), QStringLiteral("lit%f")}));
    EXPECT_EQ(
        expandExecArguments(*exec, e, {}),
        (QStringList{QStringLiteral("edit"), QStringLiteral("--icon"), QStringLiteral("edit-icon"),
                     QStringLiteral("--name=Edit"), QStringLiteral("--"), QStringLiteral("--file="),
                     QStringLiteral("lit%f")}))
        << "codes without documents must vanish, with the arguments they filled alone";
}

TEST(DesktopEntryTest, SingleDocumentCodesStartOneProcessPerDocument)
{
    const DesktopEntry single = parsed("[Desktop Entry]\nType=Application\nExec=/bin/sh -c x %f\n");
    const DesktopEntry many = parsed("[Desktop Entry]\nType=Application\nExec=sh %F\n");
    const QList<QUrl> docs{QUrl::fromLocalFile(QStringLiteral("/a")),
                           QUrl(QStringLiteral("mailto:someone@example.org")),
                           QUrl::fromLocalFile(QStringLiteral("/b"))};
    QList<DesktopCommand> commands;
    ASSERT_EQ(desktopCommands(single, docs, &commands), 0);
    ASSERT_EQ(commands.size(), 2) << "a mail address is no file for %f";
    EXPECT_EQ(commands.at(1).arguments.last(), QStringLiteral("/b"));
    ASSERT_EQ(desktopCommands(many, docs, &commands), 0);
    ASSERT_EQ(commands.size(), 1);
    EXPECT_TRUE(commands.at(0).program.endsWith(QStringLiteral("/sh"))) << "found in PATH";
    EXPECT_EQ(commands.at(0).arguments, (QStringList{QStringLiteral("/a"), QStringLiteral("/b")}));

    EXPECT_EQ(
        desktopCommands(parsed("[Desktop Entry]\nType=Application\nExec=no-such-program-xyz\n"), {},
                        &commands),
        corvane::status::kLSNoExecutableErr);
    EXPECT_EQ(desktopCommands(parsed("[Desktop Entry]\nType=Link\nURL=x\n"), {}, &commands),
              corvane::status::kLSNotAnApplicationErr);
}

TEST(DesktopEntryTest, MimeAppsListsHonourPrecedenceAndRemovals)
{
    const MimeAppsList user = parseMimeAppsList(
        "[Default Applications]\ntext/plain=user-editor.desktop;gone.desktop\n"
        "[Added Associations]\ntext/plain=user-editor.desktop;\n"
        "[Removed Associations]\nText/Plain=system-viewer.desktop\n"
        "[Something Else]\ntext/plain=ignored.desktop\n");
    const MimeAppsList system = parseMimeAppsList(
        "[Default Applications]\ntext/plain=system-viewer.desktop\n"
        "[Added Associations]\ntext/plain=system-viewer.desktop;system-editor.desktop;"
        "../escape.desktop\n");
    const MimeTypeAssociations a = associationsFor({user, system}, QStringLiteral("text/plain"));
    EXPECT_EQ(a.defaults,
              (QStringList{QStringLiteral("user-editor.desktop"), QStringLiteral("gone.desktop"),
                           QStringLiteral("system-viewer.desktop")}));
    EXPECT_EQ(a.added, (QStringList{QStringLiteral("user-editor.desktop"),
                                    QStringLiteral("system-editor.desktop")}))
        << "the user's removal must hide the system's addition; IDs with '/' are refused";
    EXPECT_TRUE(a.removed.contains(QStringLiteral("system-viewer.desktop")));
    EXPECT_TRUE(associationsFor({user, system}, QStringLiteral("image/png")).added.isEmpty());
}
