#include "engine/about/ctrl_counter.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

using vantorel::about::CtrlCounter;

namespace {

struct CtrlCase {
    const char* name;
    std::string keys;  // 'C' = Ctrl, anything else = another key
    bool unlocked;
    int revealAt;  // index of the press that reveals the button, -1 for none
};

// Test listings show the case's name, not its bytes.
void PrintTo(const CtrlCase& c, std::ostream* os) {
    *os << c.name;
}

class CtrlCounterTest : public ::testing::TestWithParam<CtrlCase> {};

TEST_P(CtrlCounterTest, RevealsOnlyOnTheTenthConsecutivePress) {
    const CtrlCase& c = GetParam();
    CtrlCounter counter;
    int revealedAt = -1;
    for (std::size_t i = 0; i < c.keys.size(); ++i) {
        if (counter.keyPressed(c.keys[i] == 'C', c.unlocked)) {
            EXPECT_EQ(revealedAt, -1) << "revealed twice";
            revealedAt = static_cast<int>(i);
        }
    }
    EXPECT_EQ(revealedAt, c.revealAt);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CtrlCounterTest,
    ::testing::Values(CtrlCase{"TenPresses", std::string(10, 'C'), false, 9},
                      CtrlCase{"NinePresses", std::string(9, 'C'), false, -1},
                      CtrlCase{"NineThenOtherThenTen", std::string(9, 'C') + "x" + std::string(10, 'C'),
                               false, 19},
                      CtrlCase{"OtherKeyInTheMiddle", "CCCCCxCCCCC", false, -1},
                      CtrlCase{"MorePressesRevealOnce", std::string(25, 'C'), false, 9},
                      CtrlCase{"OtherKeysFirst", "abcCCCCCCCCCC", false, 12},
                      CtrlCase{"AfterTheCreditsWereShown", std::string(10, 'C'), true, -1},
                      CtrlCase{"AfterTheCreditsWereShownLonger", std::string(30, 'C'), true, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CtrlCounter, OtherKeyResetsTheCount) {
    CtrlCounter counter;
    for (int i = 0; i < 4; ++i) counter.keyPressed(true, false);
    EXPECT_EQ(counter.count(), 4);
    counter.keyPressed(false, false);
    EXPECT_EQ(counter.count(), 0);
}

}  // namespace
