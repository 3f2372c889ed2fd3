// Writes seed inputs for the fuzz targets: well-formed examples of every
// format each one reads, made by the same builders the tests use.
#include "platform/bundles/ExecutableFormats.h"
#include "platform/foundation/FileReference.h"
#include "platform/foundation/PropertyListIO.h"
#include "tests/fixtures/Executables.h"

#include <QDir>
#include <QFile>

#include <cstdio>

using namespace corvane;

namespace {

bool put(const QString& folder, const QString& name, const QByteArray& bytes)
{
    QDir().mkpath(folder);
    QFile f(folder + u'/' + name);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

plist::Value sampleInfo()
{
    return plist::Value(plist::Dictionary{
        {QStringLiteral("CFBundleIdentifier"), QStringLiteral("com.example.seed")},
        {QStringLiteral("LSArchitecturePriority"),
         plist::Array{QStringLiteral("i386"), QStringLiteral("x86_64")}},
        {QStringLiteral("LSRequiresNativeExecution"), plist::Value(true)},
        {QStringLiteral("Count"), plist::Value(std::int64_t{-7})},
        {QStringLiteral("Big"), plist::Value(plist::Integer::fromUnsigned(~0ull))},
        {QStringLiteral("When"), plist::Value(plist::Date{4.5e9})},
        {QStringLiteral("Data"), plist::Value(QByteArray("\x01\x02\x03", 3))},
        {QStringLiteral("Ratio"), plist::Value(0.25)},
    });
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QString out = QFile::decodeName(argv[1]);
    bool ok = true;

    const QString plists = out + QStringLiteral("/property-list");
    ok &= put(plists, QStringLiteral("info.bplist"),
              *plist::serialize(sampleInfo(), plist::Format::Binary));
    ok &= put(plists, QStringLiteral("info.xml"),
              *plist::serialize(sampleInfo(), plist::Format::Xml));

    const QString exes = out + QStringLiteral("/executable-header");
    using fixtures::Slice;
    ok &= put(exes, QStringLiteral("fat"),
              fixtures::machOUniversal(
                  {{exe::kCpuTypeX86}, {exe::kCpuTypeX86_64}, {exe::kCpuTypePowerPC, 0}}));
    ok &= put(exes, QStringLiteral("fat64"),
              fixtures::machOUniversal({{exe::kCpuTypeX86}, {exe::kCpuTypeX86_64}},
                                       fixtures::FatHeader::Wide));
    ok &= put(exes, QStringLiteral("thin"), fixtures::machOThin({exe::kCpuTypeX86_64}));
    ok &= put(exes, QStringLiteral("thin-ppc"), fixtures::machOThin({exe::kCpuTypePowerPC, 0}));
    ok &= put(exes, QStringLiteral("elf64"), fixtures::elfExecutable(exe::kElfMachineX86_64, true));
    ok &= put(exes, QStringLiteral("elf32-be"),
              fixtures::elfExecutable(exe::kElfMachinePowerPC, false, true));

    const QString bookmarks = out + QStringLiteral("/bookmark");
    ok &= put(bookmarks, QStringLiteral("own"),
              bookmarkData(FileReference(QStringLiteral("/Applications/Seed.app"), 2049, 1234)));

    const QString entries = out + QStringLiteral("/desktop-entry");
    ok &= put(
        entries, QStringLiteral("application.desktop"),
        QByteArrayLiteral("[Desktop Entry]\nType=Application\nName=Seed\nName[de]=Saat\n"
                          "Exec=\"/opt/My App/seed\" --open %F \"quoted \\\\\"x\\\\\"\" %i %c %%\n"
                          "Icon=seed\nMimeType=text/plain;image/png;a\\;b;\n"
                          "[Desktop Action New]\nExec=seed --new\n"));
    ok &= put(entries, QStringLiteral("mimeapps.list"),
              QByteArrayLiteral("[Default Applications]\ntext/plain=seed.desktop;other.desktop\n"
                                "[Added Associations]\nimage/png=seed.desktop;\n"
                                "[Removed Associations]\ntext/html=seed.desktop;\n"));
    return ok ? 0 : 1;
}
