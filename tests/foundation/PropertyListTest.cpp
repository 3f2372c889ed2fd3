// Reading and writing property lists: every kind round-trips through both
// formats, integers keep their sign, dates their range, and hostile input is
// refused without crashing.
#include "platform/foundation/PropertyListIO.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cmath>
#include <limits>
#include <sys/stat.h>

using namespace corvane;
using namespace corvane::plist;

namespace {

Value sampleTree()
{
    Dictionary inner{{QStringLiteral("flag"), Value(true)},
                     {QStringLiteral("count"), Value(std::int64_t{42})}};
    Array array{Value(QStringLiteral("é composed")), Value(2.5),
                Value(QByteArray("\x00\x01\xFF", 3)), Value(inner)};
    return Value(Dictionary{
        {QStringLiteral("name"), Value(QStringLiteral("Café \"Notes\" <&>"))},
        {QStringLiteral("list"), Value(array)},
        {QStringLiteral("empty"), Value(Dictionary{})},
        {QStringLiteral("when"), Value(Date{123456789.0})},
        {QStringLiteral("no"), Value(false)},
    });
}

Value roundTrip(const Value& v, Format f)
{
    QString error;
    const auto bytes = serialize(v, f, &error);
    EXPECT_TRUE(bytes) << error.toStdString();
    if (!bytes)
        return {};
    const ReadResult r = parse(*bytes);
    EXPECT_TRUE(r) << r.error.toStdString();
    EXPECT_EQ(r.format, f);
    return r.value.value_or(Value());
}

// A binary property list of n arrays, each holding the next.
QByteArray nestedBinaryArrays(int n)
{
    // Objects 0..n-1 are one-element arrays referring to the next object;
    // object n is an empty array. Two-byte references and four-byte offsets.
    QByteArray b("bplist00");
    std::vector<quint32> offsets;
    for (int i = 0; i <= n; ++i) {
        offsets.push_back(static_cast<quint32>(b.size()));
        if (i < n) {
            b += char(0xA1);
            const int next = i + 1;
            b += char((next >> 16) & 0xFF);
            b += char((next >> 8) & 0xFF);
            b += char(next & 0xFF);
        } else {
            b += char(0xA0);
        }
    }
    const quint64 table = static_cast<quint64>(b.size());
    for (quint32 off : offsets) {
        for (int s = 24; s >= 0; s -= 8)
            b += char((off >> s) & 0xFF);
    }
    QByteArray trailer(32, '\0');
    trailer[6] = 4;
    trailer[7] = 3;
    const quint64 count = static_cast<quint64>(n + 1);
    for (int i = 0; i < 8; ++i) {
        trailer[8 + i] = char((count >> (56 - 8 * i)) & 0xFF);
        trailer[24 + i] = char((table >> (56 - 8 * i)) & 0xFF);
    }
    return b + trailer;
}

// A binary property list of `levels` two-element arrays, each holding the
// next array twice, ending in a boolean (one-byte offsets and references).
QByteArray sharedChain(int levels)
{
    QByteArray b("bplist00");
    QByteArray offsets;
    for (int i = 0; i < levels; ++i) {
        offsets += char(b.size());
        b += char(0xA2);
        b += char(i + 1);
        b += char(i + 1);
    }
    offsets += char(b.size());
    b += char(0x09);
    const int table = static_cast<int>(b.size());
    QByteArray trailer(32, '\0');
    trailer[6] = 1;
    trailer[7] = 1;
    trailer[15] = char(levels + 1);
    trailer[31] = char(table);
    return b + offsets + trailer;
}

QByteArray nestedXmlArrays(int n)
{
    QByteArray x("<?xml version=\"1.0\"?><plist version=\"1.0\">");
    x.reserve(x.size() + n * 16);
    for (int i = 0; i < n; ++i)
        x += "<array>";
    for (int i = 0; i < n; ++i)
        x += "</array>";
    return x + "</plist>";
}

}  // namespace

TEST(PropertyList, EveryKindRoundTripsThroughBothFormats)
{
    const Value tree = sampleTree();
    EXPECT_EQ(roundTrip(tree, Format::Binary), tree);
    // XML keeps dates to the second; the sample date is whole.
    EXPECT_EQ(roundTrip(tree, Format::Xml), tree);
}

TEST(PropertyList, IntegersKeepTheirSign)
{
    const Value values(Array{
        Value(std::int64_t{-1}),
        Value(std::numeric_limits<std::int64_t>::min()),
        Value(std::numeric_limits<std::int64_t>::max()),
        Value(Integer::fromUnsigned(std::numeric_limits<std::uint64_t>::max())),
        Value(Integer::fromUnsigned(0x8000000000000000ull)),
    });
    for (Format f : {Format::Binary, Format::Xml}) {
        const Value back = roundTrip(values, f);
        ASSERT_TRUE(back.isArray());
        const Array& a = *back.array();
        ASSERT_EQ(a.size(), 5);
        EXPECT_EQ(a[0].integer()->toSigned(), -1);
        EXPECT_FALSE(a[0].integer()->isUnsigned);
        EXPECT_EQ(a[1].integer()->toSigned(), std::numeric_limits<std::int64_t>::min());
        EXPECT_EQ(a[2].integer()->toSigned(), std::numeric_limits<std::int64_t>::max());
        EXPECT_TRUE(a[3].integer()->isUnsigned);
        EXPECT_EQ(a[3].integer()->bits, std::numeric_limits<std::uint64_t>::max());
        EXPECT_NE(a[0], a[3]) << "-1 and 2^64-1 must stay apart";
        EXPECT_EQ(a[4].integer()->bits, 0x8000000000000000ull);
        EXPECT_TRUE(a[4].integer()->isUnsigned);
    }
}

TEST(PropertyList, NegativeIntegersInHandWrittenXml)
{
    const ReadResult r = parse(QByteArrayLiteral(
        "<plist "
        "version=\"1.0\"><array><integer>-42</integer><integer>7</integer></array></plist>"));
    ASSERT_TRUE(r) << r.error.toStdString();
    EXPECT_EQ(r.value->array()->at(0).toInt64(), -42);
    EXPECT_EQ(r.value->array()->at(1).toInt64(), 7);
}

TEST(PropertyList, DatesKeepTheirRangeAndFractions)
{
    const double year2100 = 3124137600.0;  // 2100-01-01 from 2001-01-01
    const double year1900 = -3187296000.0;
    const Value dates(Array{Value(Date{year2100}), Value(Date{year1900}), Value(Date{0.25})});
    const Value binary = roundTrip(dates, Format::Binary);
    EXPECT_EQ(binary, dates) << describe(binary).toStdString();

    const Value xml = roundTrip(dates, Format::Xml);
    ASSERT_TRUE(xml.isArray());
    EXPECT_EQ(xml.array()->at(0).date()->secondsSinceReference, year2100);
    EXPECT_EQ(xml.array()->at(1).date()->secondsSinceReference, year1900);
    EXPECT_EQ(xml.array()->at(0).date()->toDateTime().date().year(), 2100);
}

TEST(PropertyList, DatesConvertToAndFromDateTime)
{
    const QDateTime t =
        QDateTime::fromString(QStringLiteral("2014-09-17T12:30:00.500Z"), Qt::ISODateWithMs);
    const Date d = Date::fromDateTime(t);
    EXPECT_EQ(d.toDateTime(), t);
    EXPECT_EQ(Date{0}.toDateTime().toString(Qt::ISODate), QStringLiteral("2001-01-01T00:00:00Z"));
}

TEST(PropertyList, NullMarkerIsNotWritable)
{
    QString error;
    const Value withNull(Dictionary{{QStringLiteral("slot"), Value::null()}});
    EXPECT_FALSE(serialize(withNull, Format::Binary, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(serialize(withNull, Format::Xml));
}

TEST(PropertyList, NullMarkerIsDistinctFromAbsence)
{
    const Value d(Dictionary{{QStringLiteral("slot"), Value::null()}});
    ASSERT_NE(d.find(QStringLiteral("slot")), nullptr);
    EXPECT_TRUE(d.find(QStringLiteral("slot"))->isNull());
    EXPECT_EQ(d.find(QStringLiteral("other")), nullptr);
    EXPECT_EQ(Value(QStringLiteral("x")).find(QStringLiteral("slot")), nullptr);
}

TEST(PropertyList, BoolValueFollowsNumbersAndStrings)
{
    EXPECT_TRUE(Value(true).boolValue());
    EXPECT_FALSE(Value(std::int64_t{0}).boolValue());
    EXPECT_TRUE(Value(std::int64_t{-3}).boolValue());
    EXPECT_TRUE(Value(0.5).boolValue());
    EXPECT_TRUE(Value(QStringLiteral("YES")).boolValue());
    EXPECT_TRUE(Value(QStringLiteral("  true")).boolValue());
    EXPECT_TRUE(Value(QStringLiteral("-007")).boolValue());
    EXPECT_FALSE(Value(QStringLiteral("NO")).boolValue());
    EXPECT_FALSE(Value(QStringLiteral("000")).boolValue());
    EXPECT_FALSE(Value(QStringLiteral("")).boolValue());
    EXPECT_FALSE(Value(QStringLiteral("false")).boolValue());
    EXPECT_TRUE(Value(QStringLiteral("x")).answersBoolValue());
    EXPECT_FALSE(Value(Array{}).answersBoolValue());
    EXPECT_FALSE(Value(QByteArray("1")).answersBoolValue());
}

TEST(PropertyList, MalformedInputIsRefused)
{
    const QByteArray good = *serialize(sampleTree(), Format::Binary);
    const QByteArray cases[] = {
        QByteArray(),
        QByteArrayLiteral("not a property list"),
        QByteArrayLiteral("bplist00"),
        good.left(good.size() / 2),
        good.left(good.size() - 1),
        QByteArrayLiteral("<plist><dict><key>a</key><string>b</string></plist>"),
        QByteArrayLiteral("<plist><array></dict></plist>"),
        QByteArrayLiteral("<plist><array><!-- open comment </array></plist>"),
        QByteArrayLiteral("<plist><string attr=\"unterminated></string></plist>"),
    };
    for (const QByteArray& bytes : cases) {
        const ReadResult r = parse(bytes);
        EXPECT_FALSE(r) << "accepted: " << bytes.left(60).toStdString();
        EXPECT_FALSE(r.error.isEmpty());
    }
}

TEST(PropertyList, EveryTruncationOfABinaryListIsHandled)
{
    const QByteArray good = *serialize(sampleTree(), Format::Binary);
    for (qsizetype n = 0; n < good.size(); ++n)
        EXPECT_FALSE(parse(good.left(n))) << "length " << n;
}

TEST(PropertyList, CorruptedBinaryTablesAreRefused)
{
    QByteArray selfContaining = nestedBinaryArrays(1);
    // Make object 0 refer to itself.
    selfContaining[9 + 2] = 0;
    EXPECT_FALSE(parse(selfContaining));

    QByteArray hugeCount = nestedBinaryArrays(1);
    hugeCount[8] = char(0xAF);  // count follows as an integer object
    EXPECT_FALSE(parse(hugeCount));

    QByteArray badTable = nestedBinaryArrays(2);
    badTable[badTable.size() - 1] = char(0xF0);  // offset table past the end
    EXPECT_FALSE(parse(badTable));
}

TEST(PropertyList, DeepNestingIsRefusedNotOverflowed)
{
    // Deep enough to overflow libplist's recursion on an 8 MB stack.
    const ReadResult binary = parse(nestedBinaryArrays(100000));
    EXPECT_FALSE(binary);
    EXPECT_TRUE(binary.error.contains(QStringLiteral("deeper"))) << binary.error.toStdString();
    const ReadResult xml = parse(nestedXmlArrays(200000));
    EXPECT_FALSE(xml);
    EXPECT_TRUE(xml.error.contains(QStringLiteral("deeper"))) << xml.error.toStdString();
}

TEST(PropertyList, NestingUpToTheLimitIsRead)
{
    Limits limits;
    limits.maxDepth = 40;
    const ReadResult binary = parse(nestedBinaryArrays(39), limits);
    ASSERT_TRUE(binary) << binary.error.toStdString();
    EXPECT_EQ(binary.value->depth(), 40);
    EXPECT_FALSE(parse(nestedBinaryArrays(40), limits));
    EXPECT_TRUE(parse(nestedXmlArrays(40), limits));
    EXPECT_FALSE(parse(nestedXmlArrays(41), limits));
}

TEST(PropertyList, SharedSubtreesAreNotExpandedAgain)
{
    // Each level holds the next one twice: 2^64 paths through 65 objects. A
    // parser that copies shared objects would never finish.
    QElapsedTimer timer;
    timer.start();
    const ReadResult r = parse(sharedChain(64));
    EXPECT_FALSE(r);
    EXPECT_TRUE(r.error.contains(QStringLiteral("expands"))) << r.error.toStdString();
    EXPECT_LT(timer.elapsed(), 1000);

    // Ten levels make a reasonable 2^11 values: accepted.
    const ReadResult accepted = parse(sharedChain(10));
    ASSERT_TRUE(accepted) << accepted.error.toStdString();
    EXPECT_EQ(accepted.value->depth(), 11);
}

TEST(PropertyList, FilesAreReadAndWrittenAtomically)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Réglages \"x\".plist"));
    QString error;
    ASSERT_TRUE(writeFile(path, sampleTree(), Format::Binary, &error)) << error.toStdString();
    const ReadResult r = readFile(path);
    ASSERT_TRUE(r) << r.error.toStdString();
    EXPECT_EQ(*r.value, sampleTree());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1) << "temporary file left behind";
}

TEST(PropertyList, SpecialFilesAreRefusedWithoutBlocking)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.plist"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(readFile(fifo));
    EXPECT_FALSE(readFile(dir.path()));
    EXPECT_FALSE(readFile(dir.filePath(QStringLiteral("missing.plist"))));
}

TEST(PropertyList, OversizedInputIsRefused)
{
    Limits limits;
    limits.maxBytes = 100;
    const QByteArray big = *serialize(Value(QString(200, u'x')), Format::Xml);
    EXPECT_FALSE(parse(big, limits));
}

TEST(PropertyList, StringsHoldingNulAreRefusedNotFatal)
{
    // libplist aborts the process on such strings; they must never reach it.
    QByteArray key =
        *serialize(Value(Dictionary{{QStringLiteral("abc"), Value(true)}}), Format::Binary);
    const qsizetype at = key.indexOf("abc");
    ASSERT_GT(at, 0);
    key[at + 1] = '\0';
    EXPECT_FALSE(parse(key));

    QByteArray wide = *serialize(Value(QStringLiteral("\u00e9t\u00e9")), Format::Binary);
    const qsizetype t = wide.indexOf(QByteArray("\x00t", 2));
    ASSERT_GT(t, 0);
    wide[t + 1] = '\0';
    EXPECT_FALSE(parse(wide));

    EXPECT_FALSE(parse(QByteArrayLiteral("<plist><string>a&#0;b</string></plist>")));
    EXPECT_FALSE(parse(QByteArrayLiteral("<plist><string>a&#x000;b</string></plist>")));
    EXPECT_FALSE(parse(QByteArray("<plist><string>a\0b</string></plist>", 36)));
    const ReadResult newline = parse(QByteArrayLiteral("<plist><string>a&#10;b</string></plist>"));
    ASSERT_TRUE(newline) << newline.error.toStdString();
    EXPECT_EQ(newline.value->toString(), QStringLiteral("a\nb"));
}

TEST(PropertyList, PinnedFuzzFindingsStayHandled)
{
    const QDir folder(QStringLiteral(CORVANE_SOURCE_DIR "/tests/fuzz/regressions/property-list"));
    const QStringList files = folder.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& name : files) {
        const ReadResult r = readFile(folder.filePath(name));
        if (!r)
            continue;
        // What is read must write, and read back the same (compared as text,
        // in which a NaN equals itself).
        const auto bytes = serialize(*r.value, Format::Binary);
        ASSERT_TRUE(bytes) << name.toStdString();
        const ReadResult again = parse(*bytes);
        ASSERT_TRUE(again) << name.toStdString();
        EXPECT_EQ(describe(*again.value), describe(*r.value)) << name.toStdString();
    }
}

TEST(PropertyList, XmlDetails)
{
    const ReadResult r = parse(QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\"><dict>\n"
        "  <!-- a comment --><key>text</key><string>a &amp; <![CDATA[<b>]]> &#233;</string>\n"
        "  <key>hex</key><integer> 0x1F </integer>\n"
        "  <key>big</key><integer>18446744073709551615</integer>\n"
        "  <key>min</key><integer>-9223372036854775808</integer>\n"
        "  <key>reals</key><array><real>nan</real><real>-infinity</real><real>2.5e3</real></array>\n"
        "  <key>date</key><date>2001-01-01T00:01:00.5Z</date>\n"
        "  <key>data</key><data>\n\tAAH/\n</data>\n"
        "  <key>empty</key><dict/>\n"
        "  <key>yes</key><true/>\n"
        "</dict></plist>"));
    ASSERT_TRUE(r) << r.error.toStdString();
    const Value& v = *r.value;
    EXPECT_EQ(v.find(QStringLiteral("text"))->toString(), QStringLiteral("a & <b> é"));
    EXPECT_EQ(v.find(QStringLiteral("hex"))->toInt64(), 31);
    EXPECT_TRUE(v.find(QStringLiteral("big"))->integer()->isUnsigned);
    EXPECT_EQ(v.find(QStringLiteral("min"))->toInt64(), std::numeric_limits<std::int64_t>::min());
    const Array& reals = *v.find(QStringLiteral("reals"))->array();
    EXPECT_TRUE(std::isnan(*reals[0].real()));
    EXPECT_EQ(*reals[1].real(), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(*reals[2].real(), 2500.0);
    EXPECT_EQ(v.find(QStringLiteral("date"))->date()->secondsSinceReference, 60.5);
    EXPECT_EQ(*v.find(QStringLiteral("data"))->data(), QByteArray("\x00\x01\xFF", 3));
    EXPECT_TRUE(v.find(QStringLiteral("empty"))->dictionary()->isEmpty());
    EXPECT_TRUE(v.find(QStringLiteral("yes"))->boolValue());
}

TEST(PropertyList, XmlThatIsNoPropertyList)
{
    const QByteArray cases[] = {
        QByteArrayLiteral("<plist><integer>12a</integer></plist>"),
        QByteArrayLiteral("<plist><integer>-18446744073709551615</integer></plist>"),
        QByteArrayLiteral("<plist><date>yesterday</date></plist>"),
        QByteArrayLiteral("<plist><date>2001-13-01T00:00:00Z</date></plist>"),
        QByteArrayLiteral("<plist><data>!!!</data></plist>"),
        QByteArrayLiteral("<plist><dict><string>no key</string></dict></plist>"),
        QByteArrayLiteral("<plist><dict><key>dangling</key></dict></plist>"),
        QByteArrayLiteral("<plist><key>outside</key></plist>"),
        QByteArrayLiteral("<plist><string>a</string><string>b</string></plist>"),
        QByteArrayLiteral("<plist><widget/></plist>"),
        QByteArrayLiteral("<plist><true>x</true></plist>"),
        QByteArrayLiteral("<plist>loose text</plist>"),
        QByteArrayLiteral("<plist></plist>"),
        QByteArrayLiteral("<!DOCTYPE x [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                          "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
                          "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">]><plist><string>&e;&e;&e;&e;</string></plist>"),
    };
    for (const QByteArray& bytes : cases) {
        const ReadResult r = parse(bytes);
        EXPECT_FALSE(r) << "accepted: " << bytes.left(70).toStdString();
    }
}

TEST(PropertyList, XmlInUtf16AndWithAByteOrderMark)
{
    const QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?><plist><string>Übersicht</string></plist>");
    QByteArray utf16("\xFF\xFE", 2);
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    const ReadResult r = parse(utf16);
    ASSERT_TRUE(r) << r.error.toStdString();
    EXPECT_EQ(r.value->toString(), QStringLiteral("Übersicht"));
    const ReadResult bom = parse(QByteArray("\xEF\xBB\xBF<plist><true/></plist>"));
    ASSERT_TRUE(bom) << bom.error.toStdString();
    EXPECT_TRUE(bom.value->boolValue());
}
