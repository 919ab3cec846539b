#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "beat_builder.h"
#include "engine/patch/bps.h"
#include "engine/patch/make_patch.h"
#include "pair_generator.h"

namespace vantorel::patch {
namespace {

Bytes noise(std::size_t n, std::uint64_t seed) {
    test::PairGenerator g(seed);
    Bytes b(n);
    for (auto& x : b) x = g.byte();
    return b;
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes slice(const Bytes& b, std::size_t from, std::size_t to) {
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from), b.begin() + static_cast<std::ptrdiff_t>(to));
}

struct SizeCase {
    const char* name;
    Bytes original;
    Bytes modified;
    // Most the patch may weigh: what the change costs at the least, plus a little.
    std::size_t most;
};

std::vector<SizeCase> sizeCases() {
    const Bytes a = noise(64 * 1024, 1), fresh = noise(1000, 2);
    const std::size_t kFixed = 4 + 3 * 4 + 12;  // magic, sizes, no metadata, checksums
    Bytes edited = a;
    for (std::size_t i = 100; i < edited.size(); i += 4096) edited[i] ^= 0xFF;
    return {
        {"Identical", a, a, kFixed + 4},
        {"Empty", {}, {}, kFixed},
        {"FromEmpty", {}, fresh, kFixed + fresh.size() + 3},
        {"ToEmpty", a, {}, kFixed},
        {"InsertedInTheMiddle", a, cat({slice(a, 0, 30000), fresh, slice(a, 30000, a.size())}),
         kFixed + fresh.size() + 16},
        {"DeletedFromTheMiddle", a, cat({slice(a, 0, 30000), slice(a, 31000, a.size())}), kFixed + 12},
        {"HalvesSwapped", a, cat({slice(a, 32768, a.size()), slice(a, 0, 32768)}), kFixed + 16},
        {"SmallEditsEverywhere", a, edited, kFixed + 16 * 7},
        {"RunAppended", a, cat({a, Bytes(1 << 20, 0xAA)}), kFixed + 16},
        {"NewBlockRepeated", a,
         [&] {
             Bytes b = a;
             for (int i = 0; i < 50; ++i) b.insert(b.end(), fresh.begin(), fresh.end());
             return b;
         }(),
         kFixed + fresh.size() + 16},
    };
}

class MakeBpsSize : public ::testing::TestWithParam<SizeCase> {};

TEST_P(MakeBpsSize, UsesTheCheapestActions) {
    const SizeCase& c = GetParam();
    auto made = makeBps(c.original, c.modified);
    ASSERT_TRUE(made.ok()) << made.error().description();
    EXPECT_LE(made.value().size(), c.most);
    auto study = studyBps(made.value());
    ASSERT_TRUE(study.ok()) << study.error().description();
    EXPECT_EQ(study.value().sourceSize, c.original.size());
    EXPECT_EQ(study.value().targetSize, c.modified.size());
    EXPECT_TRUE(study.value().metadata.empty());
    EXPECT_EQ(study.value().sourceCrc32, test::crcOf(c.original));
    EXPECT_EQ(study.value().targetCrc32, test::crcOf(c.modified));
    auto applied = applyBps(c.original, made.value());
    ASSERT_TRUE(applied.ok()) << applied.error().description();
    EXPECT_TRUE(applied.value().image == c.modified);
}

INSTANTIATE_TEST_SUITE_P(Cases, MakeBpsSize, ::testing::ValuesIn(sizeCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MakeBps, ProgressAndStop) {
    const Bytes original = noise(1 << 20, 3);
    Bytes modified = original;
    for (std::size_t i = 0; i < modified.size(); i += 333) modified[i] ^= 1;
    std::vector<std::int64_t> seen;
    auto made = makeBps(original, modified, [&](std::int64_t done, std::int64_t total) {
        EXPECT_EQ(total, 1 << 20);
        seen.push_back(done);
        return true;
    });
    ASSERT_TRUE(made.ok());
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(seen.back(), 1 << 20);
    EXPECT_LE(seen.size(), 18u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));

    for (int stopAt : {1, 3}) {
        int calls = 0;
        auto stopped =
            makeBps(original, modified, [&](std::int64_t, std::int64_t) { return ++calls < stopAt; });
        ASSERT_FALSE(stopped.ok());
        EXPECT_EQ(stopped.error().category(), ErrorCategory::Stopped);
        EXPECT_EQ(calls, stopAt);
    }
}

TEST(MakeBps, SameInputsSamePatch) {
    test::PairGenerator g(77);
    const Bytes original = g.romLike(200000);
    const Bytes modified = g.mutate(original, 40, 3000);
    EXPECT_EQ(makeBps(original, modified).value(), makeBps(original, modified).value());
}

}  // namespace
}  // namespace vantorel::patch
