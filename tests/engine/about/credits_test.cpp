#include "engine/about/credits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace vantorel::about;

namespace {

CreditFacts sampleFacts() {
    CreditFacts f;
    f.title = "Vantorel";
    f.major = 1;
    f.minor = 2;
    f.revision = 34;
    f.buildDate = "07/04/2004";
    f.pid = 0x1a2b;
    f.programFolder = "/opt/vantorel";
    return f;
}

}  // namespace

TEST(CreditLines, HexUpperHasNoLeadingZeros) {
    EXPECT_EQ(hexUpper(0), "0");
    EXPECT_EQ(hexUpper(0x1a2b), "1A2B");
    EXPECT_EQ(hexUpper(0x00ff), "FF");
    EXPECT_EQ(hexUpper(0xFFFFFFFFFFFFFFFFull), "FFFFFFFFFFFFFFFF");
}

TEST(CreditLines, StatusLines) {
    const CreditFacts f = sampleFacts();
    EXPECT_EQ(versionLine(f), "v1.2 Build 34 (07/04/2004)");
    EXPECT_EQ(processLine(f), "PID=1A2B ProcessPath=/opt/vantorel");
}

TEST(CreditLines, OpenWithTitleAndRuleAndCloseWithStatusLines) {
    const auto lines = buildCreditLines(sampleFacts());
    ASSERT_GT(lines.size(), 10u);
    EXPECT_EQ(lines[0], (CreditLine{"Vantorel", "Arial", 36, 15, kBold, kAlignCentre, -5}));
    EXPECT_EQ(lines[1], (CreditLine{"Creditos - Credits", "Arial", 11, 15, 0, kAlignCentre, -5}));
    EXPECT_EQ(lines[2], (CreditLine{std::string(50, '='), "Arial", 12, 15, kBold, kAlignCentre, 3}));

    const auto n = lines.size();
    EXPECT_EQ(lines[n - 2],
              (CreditLine{"v1.2 Build 34 (07/04/2004)", "Arial", 10, 14, kItalic, kAlignCentre, 2}));
    EXPECT_EQ(lines[n - 1],
              (CreditLine{"PID=1A2B ProcessPath=/opt/vantorel", "Arial", 8, 10, kItalic, kAlignCentre, 2}));
    EXPECT_EQ(lines[n - 3], (CreditLine{"", "Arial", 14, 15, kBold, kAlignCentre, 10}));
    EXPECT_EQ(lines[n - 4].size, 10);
    EXPECT_EQ(lines[n - 4].style, kBold);
    EXPECT_FALSE(lines[n - 4].text.empty());
}

TEST(CreditLines, SevenSectionsInOrderEachWithEntries) {
    const auto lines = buildCreditLines(sampleFacts());
    std::size_t from = 0;
    for (const char* heading : kCreditHeadings) {
        SCOPED_TRACE(heading);
        auto it = std::find_if(lines.begin() + static_cast<std::ptrdiff_t>(from), lines.end(),
                               [&](const CreditLine& l) { return l.text == heading; });
        ASSERT_NE(it, lines.end());
        EXPECT_EQ(it->size, 12);
        EXPECT_EQ(it->style, kBold);
        EXPECT_EQ(it->spacing, 2);
        // At least one entry follows before the spacer that ends the section.
        ASSERT_NE(it + 1, lines.end());
        EXPECT_FALSE((it + 1)->text.empty());
        EXPECT_EQ((it + 1)->size, 12);
        EXPECT_EQ((it + 1)->style & kBold, 0);
        from = static_cast<std::size_t>(it - lines.begin()) + 1;
    }
}

TEST(CreditLines, EveryLineIsArialAndCentredWithAPaletteColour) {
    for (const CreditLine& l : buildCreditLines(sampleFacts())) {
        SCOPED_TRACE(l.text);
        EXPECT_EQ(l.font, "Arial");
        EXPECT_EQ(l.align, kAlignCentre);
        EXPECT_LT(l.colour, 16);
        if (l.text.empty()) {
            EXPECT_EQ(l.spacing, 10);  // spacers
        }
    }
}

TEST(CreditLines, Palette) {
    EXPECT_EQ(paletteColour(0), 0x000000u);
    EXPECT_EQ(paletteColour(10), 0x00FF00u);
    EXPECT_EQ(paletteColour(14), 0xFFFF00u);
    EXPECT_EQ(paletteColour(15), 0xFFFFFFu);
    EXPECT_EQ(paletteColour(99), 0xFFFFFFu);
}
