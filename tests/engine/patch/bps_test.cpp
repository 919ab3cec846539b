#include "engine/patch/bps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "beat_builder.h"
#include "engine/convert/smd.h"
#include "engine/patch/patch_common.h"
#include "ips_builder.h"

namespace vantorel::patch {
namespace {

using test::BpsBuilder;
using test::bytesOf;
using test::counting;
using test::crcOf;

struct NumberCase {
    const char* name;
    std::uint64_t value;
    Bytes bytes;
};

class BeatNumbers : public ::testing::TestWithParam<NumberCase> {};

// Worked out by hand from the format's description, not from either encoder.
INSTANTIATE_TEST_SUITE_P(Cases, BeatNumbers,
                         ::testing::Values(NumberCase{"Zero", 0, {0x80}}, NumberCase{"One", 1, {0x81}},
                                           NumberCase{"LargestOneByte", 127, {0xFF}},
                                           NumberCase{"SmallestTwoBytes", 128, {0x00, 0x80}},
                                           NumberCase{"TwoBytes", 129, {0x01, 0x80}},
                                           NumberCase{"LargestTwoBytes", 16511, {0x7F, 0xFF}},
                                           NumberCase{"SmallestThreeBytes", 16512, {0x00, 0x00, 0x80}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(BeatNumbers, EncodeAndDecodeTheOneSpelling) {
    const NumberCase& c = GetParam();
    Bytes out;
    putNumber(out, c.value);
    EXPECT_EQ(out, c.bytes);
    EXPECT_EQ(numberSize(c.value), c.bytes.size());
    Bytes padded = c.bytes;
    padded.push_back(0x55);
    std::size_t position = 0;
    std::uint64_t value = 0;
    ASSERT_EQ(readNumber(padded, position, padded.size(), value), NumberRead::Ok);
    EXPECT_EQ(value, c.value);
    EXPECT_EQ(position, c.bytes.size());
}

TEST(BeatNumbers, LimitsAndFaults) {
    for (std::uint64_t v : {std::uint64_t{1} << 32, std::uint64_t{1} << 63, UINT64_MAX}) {
        Bytes out;
        putNumber(out, v);
        std::size_t position = 0;
        std::uint64_t back = 0;
        ASSERT_EQ(readNumber(out, position, out.size(), back), NumberRead::Ok);
        EXPECT_EQ(back, v);
    }
    std::size_t position = 0;
    std::uint64_t value = 0;
    const Bytes unfinished = {0x00, 0x12};
    EXPECT_EQ(readNumber(unfinished, position, unfinished.size(), value), NumberRead::Truncated);
    EXPECT_EQ(position, 0u);
    // The end given is respected even when the bytes go on.
    const Bytes twoBytes = {0x00, 0x80};
    EXPECT_EQ(readNumber(twoBytes, position, 1, value), NumberRead::Truncated);
    const Bytes tooLong = {0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x80};
    EXPECT_EQ(readNumber(tooLong, position, tooLong.size(), value), NumberRead::TooLarge);
    EXPECT_EQ(position, 0u);
}

// A patch from bytes written by hand: the checksums are the only part computed.
Bytes handMade(const Bytes& source, const Bytes& target, Bytes body) {
    test::putLe(body, crcOf(source));
    test::putLe(body, crcOf(target));
    return test::sealed(std::move(body));
}

struct VectorCase {
    const char* name;
    Bytes source;
    Bytes body;
    Bytes target;
};

std::vector<VectorCase> vectorCases() {
    return {
        // SourceRead 2, TargetRead "X", SourceRead 1, SourceCopy 2 from offset 0.
        {"AllSourceKinds",
         bytesOf("ABCD"),
         {'B', 'P', 'S', '1', 0x84, 0x86, 0x80, 0x84, 0x81, 'X', 0x80, 0x86, 0x80},
         bytesOf("ABXDAB")},
        // TargetRead "Z", then TargetCopy 5 from target offset 0: a run made by overlap.
        {"RunByOverlappingCopy",
         {},
         {'B', 'P', 'S', '1', 0x80, 0x86, 0x80, 0x81, 'Z', 0x93, 0x80},
         bytesOf("ZZZZZZ")},
        // SourceCopy 2 from +2 ("CD"), then SourceCopy 2 from -4 ("AB"): negative offsets.
        {"NegativeSourceOffset",
         bytesOf("ABCD"),
         {'B', 'P', 'S', '1', 0x84, 0x84, 0x80, 0x86, 0x84, 0x86, 0x89},
         bytesOf("CDAB")},
        // TargetRead "ab", TargetCopy 3 from 0 ("aba"), TargetCopy 2 from -2 (back to 1: "ba").
        {"TargetCopyOffsetsAreRelative",
         {},
         {'B', 'P', 'S', '1', 0x80, 0x87, 0x80, 0x85, 'a', 'b', 0x8B, 0x80, 0x87, 0x85},
         bytesOf("abababa")},
        // Metadata is skipped; an empty target needs no action.
        {"MetadataOnly", bytesOf("xyz"), {'B', 'P', 'S', '1', 0x83, 0x80, 0x82, '<', '>'}, {}},
    };
}

class BpsVectors : public ::testing::TestWithParam<VectorCase> {};

TEST_P(BpsVectors, GiveTheTarget) {
    const VectorCase& c = GetParam();
    const Bytes patch = handMade(c.source, c.target, c.body);
    auto applied = applyBps(c.source, patch);
    ASSERT_TRUE(applied.ok()) << applied.error().description();
    EXPECT_EQ(applied.value().image, c.target);
    EXPECT_EQ(applied.value().resultCrc32, crcOf(c.target));
    EXPECT_FALSE(applied.value().warning.has_value());
    EXPECT_EQ(applied.value().format, PatchFormat::Bps);
}

INSTANTIATE_TEST_SUITE_P(Cases, BpsVectors, ::testing::ValuesIn(vectorCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BpsStudy, DescribesWithoutApplying) {
    const Bytes source = counting(300), target = bytesOf("hello,- world");
    const Bytes patch = BpsBuilder(source, target, "<m/>")
                            .targetRead(bytesOf("hello"))
                            .sourceCopy(43, 2)  // ",-" lies at 43
                            .targetRead(bytesOf(" world"))
                            .build();
    auto s = studyBps(patch);
    ASSERT_TRUE(s.ok()) << s.error().description();
    EXPECT_EQ(s.value().sourceSize, 300u);
    EXPECT_EQ(s.value().targetSize, target.size());
    EXPECT_EQ(Bytes(s.value().metadata.begin(), s.value().metadata.end()), bytesOf("<m/>"));
    EXPECT_EQ(s.value().sourceCrc32, crcOf(source));
    EXPECT_EQ(s.value().targetCrc32, crcOf(target));
    EXPECT_EQ(s.value().patchCrc32, crcOf(Bytes(patch.begin(), patch.end() - 4)));
    EXPECT_EQ(s.value().actionCount, 3u);
    EXPECT_EQ(s.value().sourceReadEnd, 45u);
}

TEST(BpsApply, OverlappingTargetCopiesMatchByteByByte) {
    // Every distance and length pair a run or pattern repeat can take, against the
    // one-byte-at-a-time reading of the format.
    for (std::size_t distance = 1; distance <= 9; ++distance)
        for (std::size_t length : {1u, 2u, 7u, 8u, 9u, 63u, 64u, 65u, 1000u}) {
            const Bytes seed = counting(distance, 0x31);
            Bytes expected = seed;
            for (std::size_t i = 0; i < length; ++i) expected.push_back(expected[i]);
            const Bytes patch = BpsBuilder({}, expected).targetRead(seed).targetCopy(0, length).build();
            auto applied = applyBps({}, patch);
            ASSERT_TRUE(applied.ok()) << distance << "/" << length << ": " << applied.error().description();
            EXPECT_EQ(applied.value().image, expected) << distance << "/" << length;
        }
}

struct BadCase {
    const char* name;
    Bytes patch;
    int number;
};

const Bytes kSource = bytesOf("0123456789");
const Bytes kTarget = bytesOf("0123abcdef");

std::vector<BadCase> badCases() {
    auto b = [] { return BpsBuilder(kSource, kTarget); };
    Bytes flipped = b().sourceRead(4).targetRead(bytesOf("abcdef")).build();
    flipped[8] ^= 0x01;
    Bytes wrongSeal = b().sourceRead(4).targetRead(bytesOf("abcdef")).build();
    wrongSeal.back() ^= 0x80;
    return {
        {"Empty", {}, kNotBpsError},
        {"WrongMagic",
         test::sealed(bytesOf("BPS2\x80\x80\x80"
                              "12345678")),
         kNotBpsError},
        {"IpsIsNotBps", bytesOf("PATCHEOF"), kNotBpsError},
        {"ShorterThanHeaderAndChecksums",
         bytesOf("BPS1\x80\x80\x80"
                 "1234"),
         kTruncatedPatchError},
        {"ByteFlipped", flipped, kPatchChecksumError},
        {"ChecksumFlipped", wrongSeal, kPatchChecksumError},
        {"SourceReadPastSourceEnd",
         BpsBuilder(kSource, bytesOf("0123456789ab")).targetRead(kSource).sourceRead(2).build(),
         kOffsetOutOfRangeError},
        {"SourceCopyBeforeStart", b().sourceCopy(-1, 4).targetRead(bytesOf("abcdef")).build(),
         kOffsetOutOfRangeError},
        {"SourceCopyPastEnd", b().sourceCopy(10, 4).targetRead(bytesOf("abcdef")).build(),
         kOffsetOutOfRangeError},
        {"SourceCopyRunsPastEnd", b().sourceCopy(7, 4).targetRead(bytesOf("abcdef")).build(),
         kOffsetOutOfRangeError},
        {"SourceCopyAfterEarlierCopyBeforeStart",
         b().sourceCopy(0, 4).sourceCopy(-5, 1).targetRead(bytesOf("bcdef")).build(), kOffsetOutOfRangeError},
        {"TargetCopyBeforeAnythingMade", b().targetCopy(0, 4).targetRead(bytesOf("abcdef")).build(),
         kOffsetOutOfRangeError},
        {"TargetCopyOfUnmadeBytes", b().sourceRead(4).targetCopy(4, 2).targetRead(bytesOf("cdef")).build(),
         kOffsetOutOfRangeError},
        {"TargetCopyBeforeStart", b().sourceRead(4).targetCopy(-1, 2).targetRead(bytesOf("cdef")).build(),
         kOffsetOutOfRangeError},
        {"ActionsPastTargetSize", b().sourceRead(4).targetRead(bytesOf("abcdefg")).build(),
         kOffsetOutOfRangeError},
        {"ActionsShortOfTargetSize", b().sourceRead(4).targetRead(bytesOf("abc")).build(),
         kMalformedPatchError},
        {"TargetReadRunsIntoChecksums", b().sourceRead(4).raw({0x95, 'a', 'b'}).build(),
         kTruncatedPatchError},
        {"CommandCut", b().sourceRead(4).raw({0x00}).build(), kTruncatedPatchError},
        {"OffsetCut", b().sourceRead(4).raw({0x86}).build(), kTruncatedPatchError},
        {"NumberTooLarge", b().raw(Bytes(10, 0x7F)).raw({0x80}).build(), kMalformedPatchError},
        {"MetadataPastEnd", test::sealed([] {
             Bytes p = bytesOf("BPS1\x8A\x8A\x90");
             test::putLe(p, 0);
             test::putLe(p, 0);
             return p;
         }()),
         kTruncatedPatchError},
    };
}

class BpsMalformed : public ::testing::TestWithParam<BadCase> {};

TEST_P(BpsMalformed, RefusedByStudyAndApply) {
    const BadCase& c = GetParam();
    auto s = studyBps(c.patch);
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.error().category(), ErrorCategory::Patch);
    EXPECT_EQ(s.error().number(), c.number) << s.error().description();
    int calls = 0;
    ApplyOptions options;
    options.ignoreChecksum = true;  // never lets a damaged patch through
    options.progress = [&](auto, auto) { return ++calls, true; };
    auto a = applyBps(kSource, c.patch, options);
    ASSERT_FALSE(a.ok());
    EXPECT_EQ(a.error().number(), c.number) << a.error().description();
    EXPECT_EQ(calls, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, BpsMalformed, ::testing::ValuesIn(badCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BpsMalformed, EveryCutIsRefused) {
    const Bytes source = counting(200);
    Bytes modified = source;
    modified.insert(modified.begin() + 50, {'n', 'n', 'n'});
    modified[150] ^= 0xFF;
    const Bytes good = BpsBuilder(source, modified, "meta")
                           .sourceRead(50)
                           .targetRead(bytesOf("n"))
                           .targetCopy(50, 2)
                           .sourceCopy(50, 97)
                           .targetRead({modified[150]})
                           .sourceCopy(1, 52)
                           .build();
    auto whole = applyBps(source, good);
    ASSERT_TRUE(whole.ok()) << whole.error().description();
    const std::size_t body = good.size() - 12;
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        // Cut as a download would, and cut with fresh checksums so the reader's own bounds
        // checks are reached.
        const Bytes plain(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
        auto s = studyBps(plain);
        ASSERT_FALSE(s.ok()) << cut;
        const int n = s.error().number();
        EXPECT_TRUE(n == kNotBpsError || n == kTruncatedPatchError || n == kPatchChecksumError)
            << cut << ": " << n;
        if (cut < 4 || cut >= body) continue;
        Bytes resealed(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
        test::putLe(resealed, crcOf(source));
        test::putLe(resealed, crcOf(modified));
        auto r = applyBps(source, test::sealed(resealed));
        ASSERT_FALSE(r.ok()) << cut;
        const int m = r.error().number();
        EXPECT_TRUE(m == kTruncatedPatchError || m == kMalformedPatchError || m == kOffsetOutOfRangeError)
            << cut << ": " << r.error().description();
    }
}

}  // namespace
}  // namespace vantorel::patch
