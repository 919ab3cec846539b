// What BPS and UPS do with the image they are given: the right one, another one, the right
// one as an SMD copier file, and results that differ from the promised one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "beat_builder.h"
#include "engine/convert/smd.h"
#include "engine/patch/bps.h"
#include "engine/patch/patch_common.h"
#include "engine/patch/ups.h"

namespace vantorel::patch {
namespace {

using test::crcOf;

Bytes noise(std::size_t n, std::uint32_t seed) {
    Bytes b(n);
    for (auto& x : b) {
        seed = seed * 1664525u + 1013904223u;
        x = static_cast<std::uint8_t>(seed >> 24);
    }
    return b;
}

// Two 16 KiB blocks, as a BIN image is laid out, and the same with its second half edited.
const Bytes kOriginal = noise(2 * convert::kSmdBlockSize, 7);
const Bytes kModified = [] {
    Bytes b = kOriginal;
    for (std::size_t i = convert::kSmdBlockSize; i < b.size(); i += 1000) b[i] ^= 0x5A;
    return b;
}();

using MakeFn = Bytes (*)(const Bytes& source, const Bytes& target, std::optional<std::uint32_t> targetCrc);
using ApplyFn = Result<Applied> (*)(std::span<const std::uint8_t>, std::span<const std::uint8_t>,
                                    const ApplyOptions&);

// Reads the first block from the source, so an image shorter than that cannot be patched;
// the rest comes from the patch 4 KiB at a time.
Bytes makeBps(const Bytes& source, const Bytes& target, std::optional<std::uint32_t> targetCrc) {
    test::BpsBuilder b(source, target);
    const std::size_t half = convert::kSmdBlockSize;
    b.sourceRead(half);
    for (std::size_t at = half; at < target.size(); at += 4096) {
        const std::size_t end = std::min(target.size(), at + 4096);
        b.targetRead(Bytes(target.begin() + static_cast<std::ptrdiff_t>(at),
                           target.begin() + static_cast<std::ptrdiff_t>(end)));
    }
    if (targetCrc) b.targetCrc(*targetCrc);
    return b.build();
}

Bytes makeUps(const Bytes& source, const Bytes& target, std::optional<std::uint32_t> targetCrc) {
    if (!targetCrc) return test::upsBetween(source, target);
    test::UpsBuilder b(source, target);
    b.hunk(0, {static_cast<std::uint8_t>(source[0] ^ target[0] ^ 1)});
    return b.targetCrc(*targetCrc).build();
}

struct Format {
    const char* name;
    MakeFn make;
    ApplyFn apply;
};

class ImageCheck : public ::testing::TestWithParam<Format> {};

TEST_P(ImageCheck, TheRightImageGivesTheTarget) {
    const Bytes patch = GetParam().make(kOriginal, kModified, {});
    auto a = GetParam().apply(kOriginal, patch, {});
    ASSERT_TRUE(a.ok()) << a.error().description();
    EXPECT_EQ(a.value().image, kModified);
    EXPECT_EQ(a.value().resultCrc32, crcOf(kModified));
    EXPECT_FALSE(a.value().warning.has_value());
    EXPECT_FALSE(a.value().reversed);
}

struct Variant {
    const char* name;
    Bytes image;
    int number;
};

std::vector<Variant> variants() {
    Bytes withHeader(convert::kSmdHeaderSize, 0);
    withHeader.insert(withHeader.end(), kOriginal.begin(), kOriginal.end());
    Bytes sameSizeOther = kOriginal;
    sameSizeOther[100] ^= 1;
    return {
        {"SmdHeaderInFront", withHeader, kSmdHeaderImageError},
        {"SmdLayout", convert::binToSmd(kOriginal).value(), kSmdLayoutImageError},
        {"SameSizeOtherContent", sameSizeOther, kWrongImageError},
        {"Shorter", Bytes(kOriginal.begin(), kOriginal.end() - 1), kWrongImageError},
        {"HeaderOfOtherGame",
         [] {
             Bytes b(convert::kSmdHeaderSize, 0);
             const Bytes other = noise(kOriginal.size(), 8);
             b.insert(b.end(), other.begin(), other.end());
             return b;
         }(),
         kWrongImageError},
        {"Empty", {}, kWrongImageError},
    };
}

TEST_P(ImageCheck, AnotherImageIsRefusedWithWhatItIs) {
    const Bytes patch = GetParam().make(kOriginal, kModified, {});
    for (const Variant& v : variants()) {
        SCOPED_TRACE(v.name);
        auto a = GetParam().apply(v.image, patch, {});
        ASSERT_FALSE(a.ok());
        const Error& e = a.error();
        EXPECT_EQ(e.category(), ErrorCategory::Patch);
        EXPECT_EQ(e.number(), v.number) << e.description();
        EXPECT_EQ(e.args(),
                  (std::vector<std::string>{crc32Text(crcOf(kOriginal)), std::to_string(kOriginal.size()),
                                            crc32Text(crcOf(v.image)), std::to_string(v.image.size())}));
        for (const std::string& arg : e.args())
            EXPECT_NE(e.description().find(arg), std::string::npos) << arg;
        const bool smd = v.number != kWrongImageError;
        EXPECT_EQ(e.description().find("convert it to BIN first") != std::string::npos, smd)
            << e.description();
    }
}

TEST_P(ImageCheck, IgnoringChecksumsTurnsTheMismatchIntoAWarning) {
    const Bytes patch = GetParam().make(kOriginal, kModified, {});
    Bytes other = kOriginal;
    other[10] ^= 0xFF;  // in the part the patch keeps
    ApplyOptions options;
    options.ignoreChecksum = true;
    auto a = GetParam().apply(other, patch, options);
    ASSERT_TRUE(a.ok()) << a.error().description();
    ASSERT_TRUE(a.value().warning.has_value());
    EXPECT_EQ(a.value().warning->number(), kWrongImageError);
    Bytes expected = kModified;
    expected[10] ^= 0xFF;
    EXPECT_EQ(a.value().image, expected);
    EXPECT_EQ(a.value().resultCrc32, crcOf(expected));
}

TEST_P(ImageCheck, AResultOtherThanPromisedIsRefused) {
    const std::uint32_t promised = crcOf(kModified) ^ 0x1234;
    const Bytes patch = GetParam().make(kOriginal, kModified, promised);
    auto a = GetParam().apply(kOriginal, patch, {});
    ASSERT_FALSE(a.ok());
    EXPECT_EQ(a.error().number(), kTargetChecksumError);
    ASSERT_EQ(a.error().args().size(), 2u);
    EXPECT_EQ(a.error().args()[0], crc32Text(promised));

    ApplyOptions options;
    options.ignoreChecksum = true;
    auto let = GetParam().apply(kOriginal, patch, options);
    ASSERT_TRUE(let.ok());
    ASSERT_TRUE(let.value().warning.has_value());
    EXPECT_EQ(let.value().warning->number(), kTargetChecksumError);
    EXPECT_EQ(let.value().resultCrc32, crcOf(let.value().image));
    EXPECT_EQ(a.error().args()[1], crc32Text(let.value().resultCrc32));
}

TEST_P(ImageCheck, ProgressIsSparseAndAStopFails) {
    const Bytes big = noise(1 << 20, 3);
    Bytes changed = big;
    for (std::size_t i = convert::kSmdBlockSize; i < changed.size(); i += 4096) changed[i] ^= 0x77;
    const Bytes patch = GetParam().make(big, changed, {});
    std::vector<std::int64_t> seen;
    ApplyOptions options;
    options.progress = [&](std::int64_t done, std::int64_t total) {
        EXPECT_EQ(total, static_cast<std::int64_t>(changed.size()));
        seen.push_back(done);
        return true;
    };
    auto a = GetParam().apply(big, patch, options);
    ASSERT_TRUE(a.ok()) << a.error().description();
    EXPECT_EQ(a.value().image, changed);
    ASSERT_FALSE(seen.empty());
    EXPECT_LE(seen.size(), changed.size() / (64 * 1024) + 1);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()) &&
                std::adjacent_find(seen.begin(), seen.end()) == seen.end());
    EXPECT_EQ(seen.back(), static_cast<std::int64_t>(changed.size()));

    int calls = 0;
    options.progress = [&](std::int64_t, std::int64_t) { return ++calls < 2; };
    auto stopped = GetParam().apply(big, patch, options);
    ASSERT_FALSE(stopped.ok());
    EXPECT_EQ(stopped.error().category(), ErrorCategory::Stopped);
    EXPECT_EQ(calls, 2);
}

INSTANTIATE_TEST_SUITE_P(Formats, ImageCheck,
                         ::testing::Values(Format{"Bps", &makeBps, &applyBps},
                                           Format{"Ups", &makeUps, &applyUps}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ImageCheck, BpsNeverReadsPastAShortImageEvenWhenTold) {
    const Bytes patch = makeBps(kOriginal, kModified, {});
    ApplyOptions options;
    options.ignoreChecksum = true;
    auto a = applyBps(Bytes(kOriginal.begin(), kOriginal.begin() + 100), patch, options);
    ASSERT_FALSE(a.ok());
    EXPECT_EQ(a.error().number(), kWrongImageError);
}

TEST(ImageCheck, UpsFindsEitherImageInsideAnSmdFile) {
    const Bytes patch = makeUps(kOriginal, kModified, {});
    for (const Bytes* wanted : {&kOriginal, &kModified}) {
        Bytes withHeader(convert::kSmdHeaderSize, 0);
        withHeader.insert(withHeader.end(), wanted->begin(), wanted->end());
        auto a = applyUps(withHeader, patch);
        ASSERT_FALSE(a.ok());
        EXPECT_EQ(a.error().number(), kSmdHeaderImageError);
        EXPECT_EQ(a.error().args()[0], crc32Text(crcOf(*wanted)));
        auto b = applyUps(convert::binToSmd(*wanted).value(), patch);
        ASSERT_FALSE(b.ok());
        EXPECT_EQ(b.error().number(), kSmdLayoutImageError);
    }
}

TEST(ImageCheck, ResultsLargerThanAnImageAreRefusedBeforeAllocating) {
    const std::uint64_t huge = kMaxInputSize + 1;
    Bytes bps = test::bytesOf("BPS1");
    test::putVarint(bps, 0);
    test::putVarint(bps, huge);
    test::putVarint(bps, 0);
    bps.insert(bps.end(), {0x81, 'x'});           // TargetRead 1
    test::putVarint(bps, ((huge - 2) << 2) | 3);  // TargetCopy the rest from offset 0
    test::putVarint(bps, 0);
    test::putLe(bps, crcOf({}));
    test::putLe(bps, 0);
    bps = test::sealed(bps);
    ASSERT_TRUE(studyBps(bps).ok());
    auto a = applyBps({}, bps);
    ASSERT_FALSE(a.ok());
    EXPECT_EQ(a.error().number(), kResultTooLargeError);

    Bytes ups = test::bytesOf("UPS1");
    test::putVarint(ups, 0);
    test::putVarint(ups, huge);
    test::putLe(ups, crcOf({}));
    test::putLe(ups, 0);
    ups = test::sealed(ups);
    auto u = applyUps({}, ups);
    ASSERT_FALSE(u.ok());
    EXPECT_EQ(u.error().number(), kResultTooLargeError);
}

}  // namespace
}  // namespace vantorel::patch
