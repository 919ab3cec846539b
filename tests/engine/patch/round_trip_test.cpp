// Patches made from generated pairs must give the modified image back, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "engine/patch/bps.h"
#include "engine/patch/ips.h"
#include "engine/patch/make_patch.h"
#include "pair_generator.h"

namespace vantorel::patch {
namespace {

// Applies both made patches to the original and compares with the modified image.
// IPS may only refuse an image larger than it can address.
void expectRoundTrip(const Bytes& original, const Bytes& modified, const std::string& what) {
    auto ips = makeIps(original, modified);
    if (modified.size() <= 0x1000000) {
        ASSERT_TRUE(ips.ok()) << what << ": " << ips.error().description();
    }
    if (ips.ok()) {
        Bytes image = original;
        auto done = DoPatch(image, ips.value());
        ASSERT_TRUE(done.ok()) << what << ": " << done.error().description();
        ASSERT_EQ(image.size(), modified.size()) << what;
        ASSERT_TRUE(image == modified) << what << ": IPS result differs";
    } else {
        EXPECT_TRUE(ips.error().number() == kIpsTooLargeError ||
                    ips.error().number() == kIpsSizeTooLargeError)
            << what;
    }

    auto bps = makeBps(original, modified);
    ASSERT_TRUE(bps.ok()) << what << ": " << bps.error().description();
    auto applied = applyBps(original, bps.value());
    ASSERT_TRUE(applied.ok()) << what << ": " << applied.error().description();
    ASSERT_TRUE(applied.value().image == modified) << what << ": BPS result differs";
}

TEST(PatchRoundTrip, ManySmallPairs) {
    for (std::uint64_t seed = 1; seed <= 400; ++seed) {
        test::PairGenerator g(seed);
        const std::size_t size = g.below(4) == 0 ? g.below(64) : 1 + g.below(8192);
        const Bytes original = g.romLike(size);
        const Bytes modified = g.mutate(original, g.below(12), 1 + g.below(600));
        expectRoundTrip(original, modified, "seed " + std::to_string(seed));
        if (HasFatalFailure()) return;
    }
}

TEST(PatchRoundTrip, EmptyAndIdenticalImages) {
    const Bytes some = test::PairGenerator(5).romLike(300);
    expectRoundTrip({}, {}, "both empty");
    expectRoundTrip({}, some, "from empty");
    expectRoundTrip(some, {}, "to empty");
    expectRoundTrip(some, some, "identical");
    expectRoundTrip(Bytes(1000, 0), Bytes(5000, 0), "grown with zeros");
    expectRoundTrip(Bytes(70000, 0), Bytes(70000, 0xFF), "one run longer than a record");
}

struct LargeCase {
    const char* name;
    std::size_t size;
    std::size_t operations;
    std::size_t largest;
    std::uint64_t seed;
    std::size_t finalSize = 0;  // when set, cut or grown (with a run) to exactly this
};

class PatchRoundTripLarge : public ::testing::TestWithParam<LargeCase> {};

TEST_P(PatchRoundTripLarge, GivesTheModifiedImage) {
    const LargeCase& c = GetParam();
    test::PairGenerator g(c.seed);
    const Bytes original = g.romLike(c.size);
    Bytes modified = g.mutate(original, c.operations, c.largest);
    if (c.finalSize != 0) modified.resize(c.finalSize, 0x5A);
    ASSERT_LE(modified.size(), 0x1000000u) << "the case should stay within IPS's reach";
    expectRoundTrip(original, modified, c.name);
}

INSTANTIATE_TEST_SUITE_P(Cases, PatchRoundTripLarge,
                         ::testing::Values(LargeCase{"Medium", 1 << 20, 300, 40000, 11},
                                           LargeCase{"ManyEdits15MiB", 15 << 20, 3000, 600, 12},
                                           LargeCase{"FewLargeChangesTo16MiB", 15 << 20, 6, 1 << 20, 13,
                                                     16 << 20}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantorel::patch
