#include "samples/SampleCatalog.h"

#include "platform/bundles/ExecutableFormats.h"

#include <QFileInfo>

namespace corvane::samples {

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr std::int32_t kI386 = exe::kCpuTypeX86;
constexpr std::int32_t kX86_64 = exe::kCpuTypeX86_64;
constexpr std::int32_t kPPC = exe::kCpuTypePowerPC;

// Builds one catalog row: the common facts in the constructor, the case's
// own keys by chained calls, the expectation last.
class Row {
public:
    Row(const QString& path, const QString& identifier, const QString& shortVersion,
        const QString& version, const QString& copyrightHolder)
    {
        b_.path = path;
        b_.identifier = identifier;
        b_.shortVersion = shortVersion;
        b_.version = version;
        b_.copyright = u"Copyright © "_s + copyrightHolder + u". All rights reserved."_s;
        b_.iconFile = b_.displayName().remove(u' ') + u".icns"_s;
        b_.architectures = {kI386, kX86_64};
    }

    Row& slices(std::vector<std::int32_t> cpuTypes)
    {
        b_.architectures = std::move(cpuTypes);
        return *this;
    }
    Row& key(const QString& name, const plist::Value& value)
    {
        b_.declarations.insert(name, value);
        return *this;
    }
    Row& priority(const plist::Array& names) { return key(u"LSArchitecturePriority"_s, names); }
    Row& native(const plist::Value& value = true)
    {
        return key(u"LSRequiresNativeExecution"_s, value);
    }
    Row& binary()
    {
        b_.infoFormat = InfoFormat::Binary;
        return *this;
    }
    Row& icon(const QString& iconFile)
    {
        b_.iconFile = iconFile;
        return *this;
    }
    // The native sample program is built for the build machine, which the
    // project's Debian targets make x86_64.
    Row& elf()
    {
        b_.program = ProgramKind::Elf;
        b_.architectures = {kX86_64};
        return *this;
    }
    Row& script()
    {
        b_.program = ProgramKind::Script;
        b_.architectures = {};
        return *this;
    }

    SampleBundle listed(LaunchMode mode, QLatin1StringView why)
    {
        b_.expected = {true, mode, QString(why)};
        return b_;
    }
    SampleBundle dropped(QLatin1StringView why)
    {
        b_.expected = {false, LaunchMode::X86_64, QString(why)};
        return b_;
    }

private:
    SampleBundle b_;
};

constexpr LaunchMode k32 = LaunchMode::I386;
constexpr LaunchMode k64 = LaunchMode::X86_64;

plist::Array names(std::initializer_list<QString> list)
{
    plist::Array a;
    for (const QString& s : list)
        a.append(s);
    return a;
}

plist::Dictionary byArchitecture(const QString& i386, const QString& x86_64)
{
    plist::Dictionary d;
    if (!i386.isEmpty())
        d.insert(u"i386"_s, i386);
    if (!x86_64.isEmpty())
        d.insert(u"x86_64"_s, x86_64);
    return d;
}

plist::Dictionary java(const QString& mainClass)
{
    plist::Dictionary d{{u"JVMVersion"_s, u"1.6+"_s}, {u"ClassPath"_s, u"$JAVAROOT/app.jar"_s}};
    if (!mainClass.isEmpty())
        d.insert(u"MainClass"_s, mainClass);
    return d;
}

// Bundles whose executable has i386 and x86_64 slices and that qualify.
void addListed(std::vector<SampleBundle>& c)
{
    c.push_back(Row(u"Harbor Mail.app"_s, u"com.harborsoft.mail"_s, u"4.2.1"_s, u"1740"_s,
                    u"2014 Harborsoft Ltd."_s)
                    .listed(k64, why::kNoDeclarations));
    c.push_back(Row(u"Harbor Mail.app/Contents/Applications/Harbor Uploader.app"_s,
                    u"com.harborsoft.mail.uploader"_s, u"1.3"_s, u"212"_s,
                    u"2014 Harborsoft Ltd."_s)
                    .icon(u"AppIcon"_s)
                    .listed(k64, why::kNoDeclarations));
    c.push_back(Row(u"Übersicht Pro.app"_s, u"de.uebersicht.pro"_s, u"2.0.3"_s, u"2003"_s,
                    u"2013 Übersicht GmbH"_s)
                    .binary()
                    .listed(k64, why::kNoDeclarations));
    c.push_back(Row(u"Keystone Audio.app"_s, u"net.keystoneaudio.keystone"_s, u"3.1"_s, u"3.1.0"_s,
                    u"2008-2013 Keystone Audio"_s)
                    .slices({kI386, kX86_64, kPPC})
                    .listed(k64, why::kNoDeclarationsWithPowerPC));
    c.push_back(Row(u"Harvest Invoices.app"_s, u"com.harvestsoft.invoices"_s, u"5.0.2"_s, u"502"_s,
                    u"2009 Harvest Software"_s)
                    .slices({kPPC, kI386, kX86_64})
                    .binary()
                    .listed(k64, why::kNoDeclarationsWithPowerPC));
    c.push_back(Row(u"Untitled Sketch.app"_s, QString(), u"0.9"_s, u"90"_s, u"2012 Ada Lindqvist"_s)
                    .listed(k64, why::kNoIdentifier));
    c.push_back(Row(u"Quillpad.app"_s, u"com.quillworks.quillpad"_s, u"2.6"_s, u"2604"_s,
                    u"2011 Quillworks"_s)
                    .priority(names({u"i386"_s, u"x86_64"_s}))
                    .listed(k32, why::kPriorityFirstI386));
    c.push_back(Row(u"Quillpad.app/Contents/Library/LoginItems/Quillpad Agent.app"_s,
                    u"com.quillworks.quillpad.agent"_s, u"2.6"_s, u"2604"_s, u"2011 Quillworks"_s)
                    .listed(k64, why::kNoDeclarations));
    c.push_back(Row(u"Café Notes.app"_s, u"com.cafenotes.mac"_s, u"1.8.4"_s, u"184"_s,
                    u"2013 Café Notes SARL"_s)
                    .priority(names({u"i386"_s}))
                    .binary()
                    .listed(k32, why::kPriorityFirstI386));
    c.push_back(Row(u"Utilities/Disk Mender.app"_s, u"com.diskmender.utility"_s, u"1.4.2"_s,
                    u"1.4.2"_s, u"2010 Mender Labs"_s)
                    .priority(names({u"i386"_s, u"x86_64"_s}))
                    .listed(k32, why::kPriorityFirstI386));
    c.push_back(Row(u"Tallyworks.app"_s, u"com.tallyworks.desktop"_s, u"7.2"_s, u"7200"_s,
                    u"2013 Tallyworks Inc."_s)
                    .priority(names({u"x86_64"_s, u"i386"_s}))
                    .listed(k64, why::kPriorityFirstX86_64));
    c.push_back(Row(u"Lumen Viewer.app"_s, u"org.lumenviewer.Lumen"_s, u"1.12"_s, u"1120"_s,
                    u"2012 The Lumen Project"_s)
                    .priority(names({u"ppc"_s, u"i386"_s, u"x86_64"_s}))
                    .icon(u"Lumen"_s)
                    .listed(k64, why::kPriorityFirstOther));
    c.push_back(Row(u"Lighthouse.app"_s, u"com.lighthouse.monitor"_s, u"3.0.1"_s, u"301"_s,
                    u"2013 Lighthouse Systems"_s)
                    .native(false)
                    .priority(names({u"ppc"_s, u"i386"_s, u"x86_64"_s}))
                    .listed(k64, why::kPriorityFirstOther));
}

// Bundles that qualify and whose mode LSRequiresNativeExecution decides.
void addNative(std::vector<SampleBundle>& c)
{
    c.push_back(Row(u"Fernhill Scanner.app"_s, u"com.fernhill.scanner"_s, u"2.2"_s, u"2.2.0"_s,
                    u"2012 Fernhill Imaging"_s)
                    .native()
                    .priority(names({u"ppc"_s, u"i386"_s, u"x86_64"_s}))
                    .listed(k32, why::kNativeI386First));
    c.push_back(Row(u"Crate Builder.app"_s, u"io.cratebuilder.app"_s, u"1.0.5"_s, u"105"_s,
                    u"2013 Crate Builder contributors"_s)
                    .native()
                    .priority(names({u"i386"_s, u"x86_64"_s}))
                    .listed(k32, why::kNativeI386First));
    // A string that answers "true" and a priority list with a non-string
    // element, which is skipped.
    plist::Array mixed{plist::Value(7), plist::Value(u"i386"_s), plist::Value(u"x86_64"_s)};
    c.push_back(Row(u"Signal Flow.app"_s, u"com.signalflow.studio"_s, u"6.4"_s, u"6400"_s,
                    u"2013 Signal Flow Audio"_s)
                    .native(u"YES"_s)
                    .priority(mixed)
                    .binary()
                    .listed(k32, why::kNativeI386First));
    c.push_back(Row(u"Grandma’s Recipes.app"_s, u"com.kitchenbook.recipes"_s, u"4.1"_s, u"41"_s,
                    u"2009 Kitchenbook"_s)
                    .slices({kI386, kX86_64, kPPC})
                    .native()
                    .priority(names({u"i386"_s}))
                    .listed(k32, why::kNativeI386First));
    c.push_back(Row(u"Orbit Terminal.app"_s, u"com.orbitlabs.terminal"_s, u"2.9.1"_s, u"2910"_s,
                    u"2013 Orbit Labs"_s)
                    .native()
                    .priority(names({u"x86_64"_s, u"i386"_s}))
                    .listed(k64, why::kNativeX86_64First));
    c.push_back(Row(u"Pixel Forge.app"_s, u"com.pixelforge.editor"_s, u"3.3"_s, u"3300"_s,
                    u"2013 Pixel Forge Ltd."_s)
                    .native()
                    .listed(k64, why::kNativeWithoutPriority));
    c.push_back(Row(u"Atlas Globe.app"_s, u"org.atlasglobe.Atlas"_s, u"1.7"_s, u"170"_s,
                    u"2010 Atlas Globe Team"_s)
                    .slices({kI386, kX86_64, kPPC})
                    .native()
                    .key(u"LSPrefersPPC"_s, true)
                    .listed(k64, why::kPrefersPPCUnderNative));
}

// Bundles whose minimum versions, Java or PowerPC keys are tested.
void addDeclarations(std::vector<SampleBundle>& c)
{
    c.push_back(Row(u"Marble Chess.app"_s, u"com.marblegames.chess"_s, u"2.1"_s, u"2100"_s,
                    u"2011 Marble Games"_s)
                    .key(u"LSPrefersPPC"_s, true)
                    .listed(k64, why::kPrefersPPCWithoutSlice));
    c.push_back(Row(u"Sundial.app"_s, u"com.sundialsoft.sundial"_s, u"1.5"_s, u"150"_s,
                    u"2008 Sundial Software"_s)
                    .slices({kI386, kX86_64, kPPC})
                    .key(u"LSPrefersPPC"_s, true)
                    .dropped(why::kPrefersPPCWithSlice));
    c.push_back(Row(u"Driftwood.app"_s, u"com.driftwood.journal"_s, u"3.0"_s, u"3000"_s,
                    u"2014 Driftwood Apps"_s)
                    .key(u"LSMinimumSystemVersion"_s, u"10.10"_s)
                    .dropped(why::kMinimumAbove));
    c.push_back(Row(u"Beacon Notes.app"_s, u"com.beaconapps.notes"_s, u"2.4"_s, u"240"_s,
                    u"2013 Beacon Apps"_s)
                    .key(u"LSMinimumSystemVersion"_s, u"10.9"_s)
                    .listed(k64, why::kMinimumNotAbove));
    c.push_back(Row(u"Granary.app"_s, u"com.granary.ledger"_s, u"1.9.2"_s, u"192"_s,
                    u"2011 Granary Finance"_s)
                    .key(u"LSMinimumSystemVersion"_s, u"10.6.8"_s)
                    .listed(k64, why::kMinimumNotAbove));
    c.push_back(Row(u"Metronome Pro.app"_s, u"com.tempolabs.metronome"_s, u"1.2"_s, u"1.2"_s,
                    u"2014 Tempo Labs"_s)
                    .key(u"LSMinimumSystemVersion"_s, u"10.9.5"_s)
                    .binary()
                    .listed(k64, why::kMinimumNotAbove));
    c.push_back(Row(u"Ember Browser.app"_s, u"org.emberbrowser.Ember"_s, u"28.0"_s, u"2800"_s,
                    u"2013 Ember contributors"_s)
                    .key(u"LSMinimumSystemVersion"_s, QString())
                    .listed(k64, why::kMinimumEmpty));
    c.push_back(
        Row(u"Compass Route.app"_s, u"com.compassroute.planner"_s, u"4.0"_s, u"400"_s,
            u"2014 Compass Route"_s)
            .key(u"LSMinimumSystemVersionByArchitecture"_s, byArchitecture(u"10.6"_s, u"10.10"_s))
            .dropped(why::kMinimumX86_64Above));
    c.push_back(
        Row(u"Tidewater.app"_s, u"com.tidewater.charts"_s, u"2.3"_s, u"230"_s,
            u"2012 Tidewater Charts"_s)
            .key(u"LSMinimumSystemVersionByArchitecture"_s, byArchitecture(u"10.5"_s, u"10.7"_s))
            .listed(k64, why::kMinimumX86_64NotAbove));
    c.push_back(
        Row(u"Quarry.app"_s, u"com.quarrysoft.quarry"_s, u"1.1"_s, u"110"_s,
            u"2013 Quarry Software"_s)
            .key(u"LSMinimumSystemVersionByArchitecture"_s, byArchitecture(u"10.10"_s, QString()))
            .listed(k64, why::kMinimumWithoutX86_64));
    c.push_back(Row(u"Kettle IDE.app"_s, u"org.kettleide.Kettle"_s, u"0.8"_s, u"80"_s,
                    u"2012 Kettle IDE developers"_s)
                    .key(u"Java"_s, java(u"org.kettleide.Main"_s))
                    .dropped(why::kJavaMainClass));
    c.push_back(Row(u"Loom Weaver.app"_s, u"com.loomweaver.app"_s, u"1.0"_s, u"100"_s,
                    u"2011 Loom Weaver"_s)
                    .key(u"Java"_s, java(QString()))
                    .listed(k64, why::kJavaWithoutMainClass));
}

// Bundles left out for their identifier or their executable.
void addDropped(std::vector<SampleBundle>& c)
{
    c.push_back(
        Row(u"App Store.app"_s, u"com.apple.appstore"_s, u"1.3"_s, u"208"_s, u"2013 Apple Inc."_s)
            .dropped(why::kStoreIdentifier));
    c.push_back(Row(u"Store Helper.app"_s, u"com.apple.store_helper"_s, u"1.0"_s, u"100"_s,
                    u"2013 Apple Inc."_s)
                    .binary()
                    .dropped(why::kStoreIdentifier));
    c.push_back(Row(u"Orbit Terminal.app/Contents/Library/LoginItems/Orbit Agent.app"_s,
                    u"com.orbitlabs.terminal.agent"_s, u"2.9.1"_s, u"2910"_s, u"2013 Orbit Labs"_s)
                    .slices({kX86_64})
                    .dropped(why::kNoI386Slice));
    c.push_back(Row(u"Nimbus Sync.app"_s, u"com.nimbussync.client"_s, u"5.5"_s, u"5500"_s,
                    u"2014 Nimbus Sync Inc."_s)
                    .slices({kX86_64})
                    .dropped(why::kNoI386Slice));
    c.push_back(Row(u"Ledger Classic.app"_s, u"com.ledgerclassic.app"_s, u"1.6"_s, u"160"_s,
                    u"2009 Ledger Classic"_s)
                    .slices({kI386})
                    .dropped(why::kNoX86_64Slice));
    c.push_back(
        Row(u"Paperboy.app"_s, u"com.paperboy.reader"_s, u"2.0.1"_s, u"201"_s, u"2008 Paperboy"_s)
            .slices({kPPC, kI386})
            .dropped(why::kNoX86_64Slice));
    c.push_back(Row(u"Inkwell Typesetter.app"_s, u"com.inkwell.typesetter"_s, u"3.2"_s, u"320"_s,
                    u"2005 Inkwell"_s)
                    .slices({kPPC})
                    .key(u"LSPrefersPPC"_s, true)
                    .dropped(why::kNoX86_64Slice));
}

// Bundles that run on this system.
void addLinuxNative(std::vector<SampleBundle>& c)
{
    c.push_back(Row(u"Tuxedo Clock.app"_s, u"org.tuxedo.clock"_s, u"1.0"_s, u"1"_s,
                    u"2024 Tuxedo Clock authors"_s)
                    .elf()
                    .dropped(why::kElfWithoutI386));
    c.push_back(Row(u"Linux Tools/Penguin Paint.app"_s, u"org.penguinpaint.Paint"_s, u"0.4"_s,
                    u"4"_s, u"2024 Penguin Paint authors"_s)
                    .elf()
                    .binary()
                    .dropped(why::kElfWithoutI386));
    c.push_back(Row(u"Backup Runner.app"_s, u"org.backuprunner.Runner"_s, u"2.1"_s, u"21"_s,
                    u"2024 Backup Runner authors"_s)
                    .script()
                    .dropped(why::kScriptWithoutArchitectures));
    c.push_back(Row(u"Jo's Sketchpad.app"_s, u"net.jossketchpad.app"_s, u"1.2"_s, u"12"_s,
                    u"2024 Jo Marsh"_s)
                    .script()
                    .dropped(why::kScriptWithoutArchitectures));
}

std::vector<SampleBundle> makeCatalog()
{
    std::vector<SampleBundle> c;
    addListed(c);
    addNative(c);
    addDeclarations(c);
    addDropped(c);
    addLinuxNative(c);
    return c;
}

}  // namespace

QString SampleBundle::fileName() const
{
    return path.section(u'/', -1);
}

QString SampleBundle::displayName() const
{
    return QFileInfo(fileName()).completeBaseName();
}

QString SampleBundle::iconFileName() const
{
    return iconFile.endsWith(u".icns"_s) ? iconFile : iconFile + u".icns"_s;
}

const std::vector<SampleBundle>& sampleCatalog()
{
    static const std::vector<SampleBundle> catalog = makeCatalog();
    return catalog;
}

QString launchModeName(LaunchMode mode)
{
    return mode == LaunchMode::I386 ? u"i386"_s : u"x86_64"_s;
}

}  // namespace corvane::samples
