#include "engine/patch/ups.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "beat_builder.h"
#include "ips_builder.h"

namespace vantorel::patch {
namespace {

using test::bytesOf;
using test::counting;
using test::crcOf;
using test::UpsBuilder;

TEST(UpsApply, HandMadeVectorBothWays) {
    const Bytes source = bytesOf("ABCD"), target = bytesOf("ABXDE");
    // Skip 2, XOR 'C'^'X', close (position 3 unchanged); skip 0, XOR 0^'E', close at the end.
    Bytes body = {'U', 'P', 'S', '1', 0x84, 0x85, 0x82, 'C' ^ 'X', 0x00, 0x80, 'E', 0x00};
    test::putLe(body, crcOf(source));
    test::putLe(body, crcOf(target));
    const Bytes patch = test::sealed(body);

    auto forward = applyUps(source, patch);
    ASSERT_TRUE(forward.ok()) << forward.error().description();
    EXPECT_EQ(forward.value().image, target);
    EXPECT_FALSE(forward.value().reversed);
    EXPECT_EQ(forward.value().format, PatchFormat::Ups);

    auto back = applyUps(target, patch);
    ASSERT_TRUE(back.ok()) << back.error().description();
    EXPECT_EQ(back.value().image, source);
    EXPECT_TRUE(back.value().reversed);
    EXPECT_EQ(back.value().resultCrc32, crcOf(source));

    auto s = studyUps(patch);
    ASSERT_TRUE(s.ok());
    EXPECT_EQ(s.value().sourceSize, 4u);
    EXPECT_EQ(s.value().targetSize, 5u);
    EXPECT_EQ(s.value().hunkCount, 2u);
    EXPECT_EQ(s.value().sourceCrc32, crcOf(source));
    EXPECT_EQ(s.value().targetCrc32, crcOf(target));
}

struct PairCase {
    const char* name;
    Bytes source;
    Bytes target;
};

Bytes edited(Bytes b, std::size_t at, std::uint8_t x) {
    b[at] ^= x;
    return b;
}

std::vector<PairCase> pairCases() {
    const Bytes base = counting(300, 9);
    return {
        {"SameSize", base, edited(edited(base, 0, 1), 299, 0x80)},
        {"Grows", base,
         [&] {
             Bytes b = base;
             b.resize(700, 0);
             b[650] = 3;
             return b;
         }()},
        {"GrowsWithZerosOnly", base,
         [&] {
             Bytes b = base;
             b.resize(400, 0);
             return b;
         }()},
        {"Shrinks", base, Bytes(base.begin(), base.begin() + 17)},
        {"FromEmpty", {}, counting(20)},
        {"ToEmpty", counting(20), {}},
        {"Identical", base, base},
        {"EveryByteDiffers", base,
         [&] {
             Bytes b = base;
             for (auto& x : b) x = static_cast<std::uint8_t>(~x);
             return b;
         }()},
    };
}

class UpsBothWays : public ::testing::TestWithParam<PairCase> {};

TEST_P(UpsBothWays, EachImageGivesTheOther) {
    const PairCase& c = GetParam();
    const Bytes patch = test::upsBetween(c.source, c.target);
    auto forward = applyUps(c.source, patch);
    ASSERT_TRUE(forward.ok()) << forward.error().description();
    EXPECT_EQ(forward.value().image, c.target);
    EXPECT_FALSE(forward.value().reversed);
    auto back = applyUps(c.target, patch);
    ASSERT_TRUE(back.ok()) << back.error().description();
    EXPECT_EQ(back.value().image, c.source);
    EXPECT_EQ(back.value().reversed, c.source != c.target);
}

INSTANTIATE_TEST_SUITE_P(Cases, UpsBothWays, ::testing::ValuesIn(pairCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(UpsApply, IgnoringChecksumsTheSizePicksTheDirection) {
    const Bytes a = counting(10), b = counting(20, 50);
    const Bytes patch = test::upsBetween(a, b);
    ApplyOptions options;
    options.ignoreChecksum = true;
    auto likeTarget = applyUps(counting(20, 1), patch, options);
    ASSERT_TRUE(likeTarget.ok());
    EXPECT_TRUE(likeTarget.value().reversed);
    EXPECT_EQ(likeTarget.value().image.size(), 10u);
    ASSERT_TRUE(likeTarget.value().warning.has_value());
    EXPECT_EQ(likeTarget.value().warning->number(), kWrongImageError);
    auto neither = applyUps(counting(15), patch, options);
    ASSERT_TRUE(neither.ok());
    EXPECT_FALSE(neither.value().reversed);
    EXPECT_EQ(neither.value().image.size(), 20u);
}

struct BadCase {
    const char* name;
    Bytes patch;
    int number;
};

std::vector<BadCase> badCases() {
    const Bytes four = bytesOf("abcd");
    auto b = [&] { return UpsBuilder(four, four); };
    Bytes flipped = b().hunk(1, {7}).build();
    flipped[6] ^= 1;
    return {
        {"Empty", {}, kNotUpsError},
        {"BpsIsNotUps",
         test::sealed(bytesOf("BPS1\x80\x80\x80"
                              "12345678")),
         kNotUpsError},
        {"IpsIsNotUps", bytesOf("PATCHEOF"), kNotUpsError},
        {"ShorterThanHeaderAndChecksums",
         bytesOf("UPS1\x80"
                 "12345678"),
         kTruncatedPatchError},
        {"ByteFlipped", flipped, kPatchChecksumError},
        {"HunkStartsPastBothImages", b().hunk(5, {1}).build(), kOffsetOutOfRangeError},
        {"HunkChangesPastBothImages", b().hunk(3, {1, 1}).build(), kOffsetOutOfRangeError},
        {"SecondHunkStartsPastTheEnd", b().hunk(3, {1}).hunk(0, {1}).build(), kOffsetOutOfRangeError},
        {"HunkNeverClosed", b().raw({0x80, 0x01, 0x02}).build(), kTruncatedPatchError},
        {"SkipCut", b().raw({0x00}).build(), kTruncatedPatchError},
        {"SkipTooLarge", b().raw(Bytes(10, 0x7F)).raw({0x80, 0x01, 0x00}).build(), kMalformedPatchError},
        {"SizeCut", test::sealed([] {
             Bytes p = bytesOf("UPS1\x84");
             p.push_back(0x00);
             test::putLe(p, 0);
             test::putLe(p, 0);
             return p;
         }()),
         kTruncatedPatchError},
    };
}

class UpsMalformed : public ::testing::TestWithParam<BadCase> {};

TEST_P(UpsMalformed, RefusedByStudyAndApply) {
    const BadCase& c = GetParam();
    auto s = studyUps(c.patch);
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.error().number(), c.number) << s.error().description();
    ApplyOptions options;
    options.ignoreChecksum = true;
    auto a = applyUps(bytesOf("abcd"), c.patch, options);
    ASSERT_FALSE(a.ok());
    EXPECT_EQ(a.error().number(), c.number) << a.error().description();
}

INSTANTIATE_TEST_SUITE_P(Cases, UpsMalformed, ::testing::ValuesIn(badCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(UpsMalformed, EveryCutIsRefused) {
    const Bytes source = counting(100);
    Bytes target = source;
    target[3] ^= 0x11;
    target[4] ^= 0x22;
    target[60] ^= 0x33;
    target.resize(130, 0x44);
    const Bytes good = test::upsBetween(source, target);
    ASSERT_TRUE(applyUps(source, good).ok());
    const std::size_t body = good.size() - 12;
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        const Bytes plain(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
        auto s = studyUps(plain);
        ASSERT_FALSE(s.ok()) << cut;
        const int n = s.error().number();
        EXPECT_TRUE(n == kNotUpsError || n == kTruncatedPatchError || n == kPatchChecksumError) << cut;
        if (cut < 4 || cut >= body) continue;
        Bytes resealed(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
        test::putLe(resealed, crcOf(source));
        test::putLe(resealed, crcOf(target));
        auto r = applyUps(source, test::sealed(resealed));
        // A cut right after a closed hunk is a whole patch that changes less: its result
        // is not the promised one.
        ASSERT_FALSE(r.ok()) << cut;
        const int m = r.error().number();
        EXPECT_TRUE(m == kTruncatedPatchError || m == kMalformedPatchError || m == kTargetChecksumError)
            << cut << ": " << r.error().description();
    }
}

}  // namespace
}  // namespace vantorel::patch
