// Attributed text for table cells: attributes over ranges split runs.
#include "QtPrinters.h"
#include "platform/ui/TableProtocols.h"

#include <gtest/gtest.h>

using namespace corvane::ui;

namespace {

QStringList runTexts(const AttributedString& s)
{
    QStringList out;
    for (const AttributedRun& r : s.runs)
        out << r.text;
    return out;
}

}  // namespace

TEST(AttributedString, AttributesOverARangeSplitTheRunsAroundIt)
{
    // A list row: the name, a newline, the folder that holds the bundle.
    const TextAttributes base{0, TextColorRole::AlternateSelectedControlText, 0.0};
    AttributedString s;
    s.runs.append({QStringLiteral("Mail\n/Applications"), base});
    s.setAttributes(0, 4, {13, TextColorRole::ControlText, 0.0});
    s.setAttributes(5, 13, {11, TextColorRole::DisabledControlText, 0.1});
    EXPECT_EQ(runTexts(s), (QStringList{QStringLiteral("Mail"), QStringLiteral("\n"),
                                        QStringLiteral("/Applications")}));
    EXPECT_EQ(s.runs.at(1).attributes.color, TextColorRole::AlternateSelectedControlText);
    EXPECT_EQ(s.runs.at(2).attributes.pointSize, 11);
    EXPECT_DOUBLE_EQ(s.runs.at(2).attributes.kerning, 0.1);
    EXPECT_EQ(s.string(), QStringLiteral("Mail\n/Applications"));

    // Ranges past the end are cut; empty ranges change nothing.
    s.setAttributes(2, 1000, base);
    EXPECT_EQ(runTexts(s), (QStringList{QStringLiteral("Ma"), QStringLiteral("il"),
                                        QStringLiteral("\n"), QStringLiteral("/Applications")}));
    s.setAttributes(50, 3, {});
    s.setAttributes(1, 0, {});
    s.setAttributes(1, -4, {});
    EXPECT_EQ(s.runs.size(), 4);
    EXPECT_EQ(s.string(), QStringLiteral("Mail\n/Applications"));
}
