// The expected survey outcomes of the manifest: they are well formed, they
// name every rule the sample folder must exercise, and each bundle really
// holds what its reason says (the keys, values and slices the rule is about),
// so a mislabelled or mis-written case is caught before the survey engine is
// checked against it.
#include "platform/bundles/Bundle.h"
#include "platform/foundation/VersionCompare.h"
#include "tests/samples/SampleTestSupport.h"

#include <gtest/gtest.h>

#include <QSet>

#include <functional>

using namespace corvane;
using namespace corvane::samples::test;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString kSystemVersion = u"10.9.5"_s;

// What one case's check sees.
struct Case {
    const ManifestEntry& entry;
    const plist::Dictionary& info;

    const plist::Value* value(const QString& key) const
    {
        const auto it = info.constFind(key);
        return it == info.constEnd() ? nullptr : &*it;
    }
    bool hasArch(const QString& name) const { return entry.architectures.contains(name); }
    bool isTrue(const QString& key) const
    {
        const plist::Value* v = value(key);
        return v && v->answersBoolValue() && v->boolValue();
    }
    bool universal() const { return hasArch(u"i386"_s) && hasArch(u"x86_64"_s); }
    bool listedAs(const QString& mode) const { return entry.listed && entry.mode == mode; }
    bool dropped() const { return !entry.listed; }

    // The strings of LSArchitecturePriority, in order.
    QStringList priority() const
    {
        QStringList names;
        const plist::Value* v = value(u"LSArchitecturePriority"_s);
        if (v && v->isArray()) {
            for (const plist::Value& item : *v->array())
                names.append(item.isString() ? *item.string() : u"<not a string>"_s);
        }
        return names;
    }
    QString firstOfI386AndX86_64() const
    {
        for (const QString& name : priority()) {
            if (name == u"i386"_s || name == u"x86_64"_s)
                return name;
        }
        return {};
    }
    bool declares(const QString& key) const { return value(key) != nullptr; }
    // None of the keys the classification reads besides the identity.
    bool declaresNothing() const
    {
        for (const char* key :
             {"LSArchitecturePriority", "LSRequiresNativeExecution", "LSPrefersPPC",
              "LSMinimumSystemVersion", "LSMinimumSystemVersionByArchitecture", "Java"}) {
            if (declares(QString::fromLatin1(key)))
                return false;
        }
        return true;
    }
    // A minimum version compared with the assumed system version: -1, 0 or 1;
    // -2 when there is no such string.
    int compareMinimum(const plist::Value* v) const
    {
        return v && v->isString() ? compareVersions(*v->string(), kSystemVersion) : -2;
    }
    const plist::Value* x86_64Minimum() const
    {
        const plist::Value* byArch = value(u"LSMinimumSystemVersionByArchitecture"_s);
        return byArch ? byArch->find(u"x86_64"_s) : nullptr;
    }
    const plist::Value* javaMainClass() const
    {
        const plist::Value* java = value(u"Java"_s);
        return java ? java->find(u"MainClass"_s) : nullptr;
    }
};

using Check = std::function<bool(const Case&)>;

// For every reason the manifest may give: what the bundle must hold.
const QMap<QString, Check>& checksByReason()
{
    static const QMap<QString, Check> checks{
        {u"universal, no declarations"_s,
         [](const Case& c) {
             return c.entry.architectures == QStringList{u"i386"_s, u"x86_64"_s} &&
                    c.declaresNothing() && c.entry.identifier && c.listedAs(u"x86_64"_s);
         }},
        {u"universal with a PowerPC slice, no declarations"_s,
         [](const Case& c) {
             return c.universal() && c.hasArch(u"ppc"_s) && c.declaresNothing() &&
                    c.listedAs(u"x86_64"_s);
         }},
        {u"no bundle identifier"_s,
         [](const Case& c) {
             return c.universal() && !c.declares(u"CFBundleIdentifier"_s) && c.declaresNothing() &&
                    c.listedAs(u"x86_64"_s);
         }},
        {u"LSArchitecturePriority first i386"_s,
         [](const Case& c) {
             return c.universal() && !c.isTrue(u"LSRequiresNativeExecution"_s) &&
                    c.priority().value(0) == u"i386"_s && c.listedAs(u"i386"_s);
         }},
        {u"LSArchitecturePriority first x86_64"_s,
         [](const Case& c) {
             return c.universal() && !c.isTrue(u"LSRequiresNativeExecution"_s) &&
                    c.priority().value(0) == u"x86_64"_s && c.priority().contains(u"i386"_s) &&
                    c.listedAs(u"x86_64"_s);
         }},
        {u"LSArchitecturePriority first neither i386 nor x86_64"_s,
         [](const Case& c) {
             const QStringList p = c.priority();
             return c.universal() && !c.isTrue(u"LSRequiresNativeExecution"_s) && p.size() > 2 &&
                    p[0] != u"i386"_s && p[0] != u"x86_64"_s && p[1] == u"i386"_s &&
                    c.listedAs(u"x86_64"_s);
         }},
        {u"LSRequiresNativeExecution with i386 before x86_64 in LSArchitecturePriority"_s,
         [](const Case& c) {
             return c.universal() && c.isTrue(u"LSRequiresNativeExecution"_s) &&
                    c.firstOfI386AndX86_64() == u"i386"_s && c.listedAs(u"i386"_s);
         }},
        {u"LSRequiresNativeExecution with x86_64 before i386 in LSArchitecturePriority"_s,
         [](const Case& c) {
             return c.universal() && c.isTrue(u"LSRequiresNativeExecution"_s) &&
                    c.firstOfI386AndX86_64() == u"x86_64"_s && c.listedAs(u"x86_64"_s);
         }},
        {u"LSRequiresNativeExecution without LSArchitecturePriority"_s,
         [](const Case& c) {
             return c.universal() && c.isTrue(u"LSRequiresNativeExecution"_s) &&
                    !c.declares(u"LSArchitecturePriority"_s) && c.listedAs(u"x86_64"_s);
         }},
        {u"LSPrefersPPC with a PowerPC slice"_s,
         [](const Case& c) {
             return c.universal() && c.hasArch(u"ppc"_s) && c.isTrue(u"LSPrefersPPC"_s) &&
                    !c.isTrue(u"LSRequiresNativeExecution"_s) && c.dropped();
         }},
        {u"LSPrefersPPC without a PowerPC slice"_s,
         [](const Case& c) {
             return c.universal() && !c.hasArch(u"ppc"_s) && c.isTrue(u"LSPrefersPPC"_s) &&
                    c.entry.listed;
         }},
        {u"LSPrefersPPC ignored under LSRequiresNativeExecution"_s,
         [](const Case& c) {
             return c.universal() && c.hasArch(u"ppc"_s) && c.isTrue(u"LSPrefersPPC"_s) &&
                    c.isTrue(u"LSRequiresNativeExecution"_s) && c.entry.listed;
         }},
        {u"LSMinimumSystemVersion above the system version"_s,
         [](const Case& c) {
             return c.universal() && c.compareMinimum(c.value(u"LSMinimumSystemVersion"_s)) == 1 &&
                    c.dropped();
         }},
        {u"LSMinimumSystemVersion at or below the system version"_s,
         [](const Case& c) {
             const plist::Value* v = c.value(u"LSMinimumSystemVersion"_s);
             const int order = c.compareMinimum(v);
             return c.universal() && !v->toString().isEmpty() && (order == 0 || order == -1) &&
                    c.entry.listed;
         }},
        {u"empty LSMinimumSystemVersion is ignored"_s,
         [](const Case& c) {
             const plist::Value* v = c.value(u"LSMinimumSystemVersion"_s);
             return c.universal() && v && v->isString() && v->string()->isEmpty() && c.entry.listed;
         }},
        {u"LSMinimumSystemVersionByArchitecture x86_64 above the system version"_s,
         [](const Case& c) {
             return c.universal() && c.compareMinimum(c.x86_64Minimum()) == 1 && c.dropped();
         }},
        {u"LSMinimumSystemVersionByArchitecture x86_64 at or below the system version"_s,
         [](const Case& c) {
             const int order = c.compareMinimum(c.x86_64Minimum());
             return c.universal() && (order == 0 || order == -1) && c.entry.listed;
         }},
        {u"LSMinimumSystemVersionByArchitecture without x86_64 is ignored"_s,
         [](const Case& c) {
             return c.universal() && c.declares(u"LSMinimumSystemVersionByArchitecture"_s) &&
                    !c.x86_64Minimum() && c.entry.listed;
         }},
        {u"Java application with MainClass"_s,
         [](const Case& c) { return c.universal() && c.javaMainClass() && c.dropped(); }},
        {u"Java dictionary without MainClass"_s,
         [](const Case& c) {
             return c.universal() && c.declares(u"Java"_s) && !c.javaMainClass() && c.entry.listed;
         }},
        {u"store identifier"_s,
         [](const Case& c) {
             return c.universal() && c.dropped() &&
                    (c.entry.identifier == u"com.apple.appstore"_s ||
                     c.entry.identifier == u"com.apple.store_helper"_s);
         }},
        {u"no x86_64 slice"_s,
         [](const Case& c) {
             return c.entry.executable == u"mach-o"_s && !c.hasArch(u"x86_64"_s) && c.dropped();
         }},
        {u"no i386 slice"_s,
         [](const Case& c) {
             return c.entry.executable == u"mach-o"_s && c.hasArch(u"x86_64"_s) &&
                    !c.hasArch(u"i386"_s) && c.dropped();
         }},
        {u"ELF x86_64 executable, no i386 slice"_s,
         [](const Case& c) {
             return c.entry.executable == u"elf"_s &&
                    c.entry.architectures == QStringList{u"x86_64"_s} && c.dropped();
         }},
        {u"script executable, no architectures"_s,
         [](const Case& c) {
             return c.entry.executable == u"script"_s && c.entry.architectures.isEmpty() &&
                    c.dropped();
         }},
    };
    return checks;
}

class SampleExpectations : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(samples.problem.isEmpty()) << samples.problem.toStdString();
    }

    const GeneratedSamples& samples = generatedSamples();
};

}  // namespace

TEST_F(SampleExpectations, AreWellFormedForTheAssumedSystem)
{
    EXPECT_EQ(samples.manifest.systemVersion, kSystemVersion);
    QSet<QString> modes;
    int dropped = 0;
    for (const ManifestEntry& e : samples.manifest.bundles) {
        SCOPED_TRACE(e.path.toStdString());
        EXPECT_FALSE(e.why.isEmpty());
        if (!e.listed) {
            EXPECT_FALSE(e.mode.has_value());
            ++dropped;
            continue;
        }
        ASSERT_TRUE(e.mode.has_value());
        modes.insert(*e.mode);
        // Only bundles that can run either way are ever listed.
        EXPECT_TRUE(e.architectures.contains(u"i386"_s) && e.architectures.contains(u"x86_64"_s));
    }
    EXPECT_EQ(modes, (QSet<QString>{u"i386"_s, u"x86_64"_s}));
    EXPECT_GE(dropped, 10);
}

TEST_F(SampleExpectations, ReasonsCoverEveryRuleOfTheClassification)
{
    QSet<QString> reasons;
    for (const ManifestEntry& e : samples.manifest.bundles)
        reasons.insert(e.why);
    for (auto it = checksByReason().cbegin(); it != checksByReason().cend(); ++it)
        EXPECT_TRUE(reasons.contains(it.key())) << "no sample for: " << it.key().toStdString();
}

TEST_F(SampleExpectations, EachBundleHoldsWhatItsReasonSays)
{
    for (const ManifestEntry& e : samples.manifest.bundles) {
        SCOPED_TRACE(e.path.toStdString() + " (" + e.why.toStdString() + ")");
        const auto check = checksByReason().constFind(e.why);
        ASSERT_NE(check, checksByReason().constEnd()) << "an unknown reason";
        const std::optional<Bundle> bundle = Bundle::open(bundlePath(samples, e));
        ASSERT_TRUE(bundle && bundle->infoDictionary());
        EXPECT_TRUE((*check)(Case{e, *bundle->infoDictionary()}));
    }
}
