#include "engine/about/scroll.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vantorel::about;

TEST(CreditScroll, StartsAtTheBottomEdgeAtSpeedOne) {
    CreditScroll s;
    s.start(300, 1050, 480);
    EXPECT_EQ(s.x(), 0);
    EXPECT_EQ(s.y(), 300);
    EXPECT_EQ(s.speed(), 1);
    EXPECT_EQ(s.blitHeight(), 1000);
    EXPECT_EQ(s.blitWidth(), 480);
}

TEST(CreditScroll, CopiesThenRisesAndWrapsOnceTheSheetHasLeftTheTop) {
    CreditScroll s;
    s.start(20, 60, 100);  // blitHeight 10
    std::vector<int> copies;
    for (int i = 0; i < 34; ++i) copies.push_back(s.tick(20));
    // From 20 up to -10 (the sheet's last row still on screen), then back to the bottom.
    ASSERT_EQ(copies[0], 20);
    EXPECT_EQ(copies[30], -10);
    EXPECT_EQ(copies[31], 20);
    EXPECT_EQ(copies[32], 19);
    for (int y : copies) {
        EXPECT_GE(y, -10);
        EXPECT_LE(y, 20);
    }
}

TEST(CreditScroll, WrapUsesTheVisibleHeightOfTheMoment) {
    CreditScroll s;
    s.start(20, 51, 100);  // blitHeight 1
    s.tick(20);
    for (int i = 0; i < 20; ++i) s.tick(20);
    EXPECT_EQ(s.y(), -1);
    s.tick(400);  // the window grew meanwhile
    EXPECT_EQ(s.y(), 400);
}

TEST(CreditScroll, SpeedKeys) {
    CreditScroll s;
    s.start(100, 500, 100);
    s.slower();  // speed 1 -> 0: the text stops
    EXPECT_EQ(s.speed(), 0);
    EXPECT_EQ(s.tick(100), 100);
    EXPECT_EQ(s.y(), 100);
    s.slower();  // stays at 0, never runs backwards
    EXPECT_EQ(s.speed(), 0);
    s.faster();
    s.faster();
    s.faster();
    EXPECT_EQ(s.speed(), 3);
    s.tick(100);
    EXPECT_EQ(s.y(), 97);
}

TEST(CreditScroll, KeyActions) {
    EXPECT_EQ(creditKeyAction(CreditKey::Escape), CreditKeyAction::Quit);
    EXPECT_EQ(creditKeyAction(CreditKey::Up), CreditKeyAction::Faster);
    EXPECT_EQ(creditKeyAction(CreditKey::Down), CreditKeyAction::Slower);
    for (CreditKey k : {CreditKey::Shift, CreditKey::Control, CreditKey::Alt, CreditKey::Other})
        EXPECT_EQ(creditKeyAction(k), CreditKeyAction::None);
}
