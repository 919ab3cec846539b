#include "engine/app/program_info.h"

#include <gtest/gtest.h>

#include "vantorel/version.h"

namespace vantorel::app {
namespace {

struct InfoCase {
    const char* name;
    std::vector<std::string_view> arguments;
    enum { None, Help, Version } expected;
};

void PrintTo(const InfoCase& c, std::ostream* os) {
    *os << c.name;
}

class InfoOptions : public ::testing::TestWithParam<InfoCase> {};

TEST_P(InfoOptions, PickTheFirstInfoOption) {
    const InfoCase& c = GetParam();
    const auto text = infoOptionText(c.arguments);
    switch (c.expected) {
        case InfoCase::None:
            EXPECT_FALSE(text.has_value());
            break;
        case InfoCase::Help:
            ASSERT_TRUE(text);
            EXPECT_EQ(*text, usageText());
            break;
        case InfoCase::Version:
            ASSERT_TRUE(text);
            EXPECT_EQ(*text, versionLine());
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(ProgramInfo, InfoOptions,
                         ::testing::Values(InfoCase{"NoArguments", {}, InfoCase::None},
                                           InfoCase{"WindowSwitch", {"/h", "/tmp/a.bin"}, InfoCase::None},
                                           InfoCase{"Help", {"--help"}, InfoCase::Help},
                                           InfoCase{"Version", {"--version"}, InfoCase::Version},
                                           InfoCase{"FirstWins", {"--version", "--help"}, InfoCase::Version},
                                           InfoCase{"AfterSwitch", {"/c", "--help"}, InfoCase::Help},
                                           InfoCase{"ShortFormsAreNotOptions", {"-h", "-v"}, InfoCase::None}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProgramInfo, VersionLineCarriesTheBuildVersion) {
    EXPECT_EQ(versionLine(), std::string("vantorel ") + kVersionText + "\n");
    EXPECT_NE(usageText().find("/h [ROM]"), std::string::npos);
}

}  // namespace
}  // namespace vantorel::app
