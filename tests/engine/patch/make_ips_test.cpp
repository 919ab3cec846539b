#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/patch/ips.h"
#include "engine/patch/make_patch.h"
#include "ips_builder.h"

namespace vantorel::patch {
namespace {

using test::counting;
using test::filled;
using test::IpsBuilder;

constexpr std::size_t kEof = 0x454F46;

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes with(Bytes base, std::size_t at, const Bytes& bytes) {
    if (base.size() < at + bytes.size()) base.resize(at + bytes.size(), 0);
    std::copy(bytes.begin(), bytes.end(), base.begin() + static_cast<std::ptrdiff_t>(at));
    return base;
}

std::vector<IpsRecord> recordsOf(const Bytes& patch) {
    auto study = StudyIps(patch);
    EXPECT_TRUE(study.ok());
    std::vector<IpsRecord> records;
    std::size_t position = 5;
    while (study.ok() && position < study.value().recordsEnd)
        records.push_back(ReadIpsRecord(patch, position, study.value().recordsEnd).value());
    return records;
}

// The made patch, after checking it gives the modified image through DoPatch.
Bytes madeAndChecked(const Bytes& original, const Bytes& modified) {
    auto made = makeIps(original, modified);
    EXPECT_TRUE(made.ok()) << made.error().description();
    if (!made.ok()) return {};
    Bytes image = original;
    auto done = DoPatch(image, made.value());
    EXPECT_TRUE(done.ok()) << done.error().description();
    EXPECT_TRUE(image == modified);
    return made.value();
}

struct ExactCase {
    const char* name;
    Bytes original;
    Bytes modified;
    Bytes patch;
};

std::vector<ExactCase> exactCases() {
    const Bytes base = counting(200, 1);
    return {
        {"NothingChanged", base, base, IpsBuilder().eof()},
        {"OneByte", base, with(base, 16, {0xEE}), IpsBuilder().data(16, {0xEE}).eof()},
        // A run record costs 8 bytes: a data record of 3 costs as much, of 4 more.
        {"ThreeEqualBytesStayData", base, with(base, 16, filled(3, 0)),
         IpsBuilder().data(16, filled(3, 0)).eof()},
        {"FourEqualBytesMakeARun", base, with(base, 16, filled(4, 0)), IpsBuilder().run(16, 4, 0).eof()},
        // A new record header costs 5 bytes: shorter gaps are sent along.
        {"GapOfFourIsJoined", base, with(with(base, 10, {0xA1}), 15, {0xA2}),
         IpsBuilder().data(10, {0xA1, 12, 13, 14, 15, 0xA2}).eof()},
        {"GapOfFiveIsNot", base, with(with(base, 10, {0xA1}), 16, {0xA2}),
         IpsBuilder().data(10, {0xA1}).data(16, {0xA2}).eof()},
        // Between changes a run must save the header of the record after it too.
        {"RunOf13BetweenChangesStaysData", base, with(base, 20, cat({{9}, filled(13, 0), {9}})),
         IpsBuilder().data(20, cat({{9}, filled(13, 0), {9}})).eof()},
        {"RunOf14BetweenChangesIsSplit", base, with(base, 20, cat({{9}, filled(14, 0), {9}})),
         IpsBuilder().data(20, {9}).run(21, 14, 0).data(35, {9}).eof()},
        {"RunAtTheEndOfChanges", base, with(base, 20, cat({{9}, filled(9, 0)})),
         IpsBuilder().data(20, {9}).run(21, 9, 0).eof()},
        // Unchanged bytes inside a run cost nothing more, so the run covers them.
        {"RunOverUnchangedBytes", with(filled(100, 7), 12, {3, 3}), with(filled(100, 7), 10, filled(8, 3)),
         IpsBuilder().run(10, 8, 3).eof()},
        {"LongRunSplitAtRecordSize", Bytes(70000, 1), Bytes(70000, 2),
         IpsBuilder().run(0, 0xFFFF, 2).run(0xFFFF, 70000 - 0xFFFF, 2).eof()},
        {"LongDataSplitAtRecordSize", Bytes(70000, 0), counting(70000, 1),
         IpsBuilder().data(0, counting(0xFFFF, 1)).data(0x10000, counting(70000 - 0x10000, 1)).eof()},
        // Growing fills with zeros: only the last byte is needed to reach the size.
        {"GrowsWithZeros", base, with(base, 250, {0}), IpsBuilder().data(250, {0}).eof()},
        {"GrowsWithData", base, with(base, 200, {5, 6}), IpsBuilder().data(200, {5, 6}).eof()},
        {"Truncates", base, Bytes(base.begin(), base.begin() + 50), IpsBuilder().eofTruncate(50)},
        {"TruncatesToNothing", base, {}, IpsBuilder().eofTruncate(0)},
        {"ChangesAndTruncates", base, with(Bytes(base.begin(), base.begin() + 50), 3, {0}),
         IpsBuilder().data(3, {0}).eofTruncate(50)},
        {"FromNothing", {}, Bytes{1, 0, 0, 0, 0, 0, 0, 2}, IpsBuilder().data(0, {1}).data(7, {2}).eof()},
    };
}

class MakeIpsExact : public ::testing::TestWithParam<ExactCase> {};

TEST_P(MakeIpsExact, MakesTheSmallestRecords) {
    const ExactCase& c = GetParam();
    EXPECT_EQ(madeAndChecked(c.original, c.modified), c.patch);
}

INSTANTIATE_TEST_SUITE_P(Cases, MakeIpsExact, ::testing::ValuesIn(exactCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Changes that would start a record at 0x454F46, which reads as "EOF".
TEST(MakeIps, NoRecordStartsWhereItWouldReadAsEof) {
    const Bytes zeros(kEof + 0x20000, 0);
    auto at = [&](std::size_t offset, const Bytes& bytes, Bytes base) {
        return with(std::move(base), offset, bytes);
    };
    const std::vector<std::pair<const char*, Bytes>> modified = {
        {"OneByte", at(kEof, {1}, zeros)},
        {"DataAfterAGap", at(kEof, {1, 2, 3}, at(kEof - 6, {9}, zeros))},
        {"RunWithOtherByteBefore", at(kEof, filled(100, 0xAA), zeros)},
        {"RunWithSameByteBefore", at(kEof, filled(100, 0xAA), at(kEof - 1, {0xAA}, Bytes(zeros)))},
        {"LongestData", at(kEof, counting(0x10010, 1), zeros)},
        {"LongestRun", at(kEof, filled(0x10010, 0xAB), zeros)},
        {"PastTheEnd", at(kEof, {7}, Bytes(kEof, 0))},
    };
    for (const auto& [name, image] : modified) {
        SCOPED_TRACE(name);
        Bytes original = zeros;
        if (std::string(name) == "RunWithSameByteBefore") original[kEof - 1] = 0xAA;
        if (std::string(name) == "PastTheEnd") original.resize(kEof);
        const Bytes patch = madeAndChecked(original, image);
        const auto records = recordsOf(patch);
        EXPECT_FALSE(records.empty());
        for (const IpsRecord& r : records) EXPECT_NE(r.offset, kEof);
    }
}

TEST(MakeIps, RefusesWhatIpsCannotAddress) {
    constexpr std::size_t kReach = 0xFFFFFF + 0xFFFF;  // one past the last byte a record reaches
    const Bytes big(kReach + 10, 0);
    auto refused = [](const Bytes& original, const Bytes& modified, int number) {
        auto made = makeIps(original, modified);
        ASSERT_FALSE(made.ok());
        EXPECT_TRUE(made.error().is(ErrorCategory::Patch, number)) << made.error().description();
        EXPECT_FALSE(made.error().args().empty());
    };
    refused(big, with(big, kReach, {1}), kIpsTooLargeError);
    refused(Bytes(10, 0), Bytes(kReach + 1, 0), kIpsTooLargeError);
    refused(Bytes(0x1000002, 0), Bytes(0x1000001, 0), kIpsSizeTooLargeError);
    refused(Bytes(kEof + 1, 0), Bytes(kEof, 0), kIpsUnrepresentableError);

    // The last bytes a record can reach, and a shorter size just inside 24 bits, still work.
    const Bytes reached = madeAndChecked(big, with(big, kReach - 1, {1}));
    ASSERT_FALSE(reached.empty());
    EXPECT_EQ(recordsOf(reached).back().offset, 0xFFFFFFu);
    madeAndChecked(Bytes(10, 0), Bytes(kReach, 0));
    madeAndChecked(Bytes(0x1000001, 0), Bytes(0xFFFFFF, 0));
    madeAndChecked(Bytes(kEof + 2, 0), Bytes(kEof + 1, 0));
    // Unchanged bytes out of reach need no record.
    madeAndChecked(big, with(big, 100, {1}));
}

TEST(MakeIps, ProgressAndStop) {
    const Bytes original(1 << 20, 0);
    Bytes modified = original;
    for (std::size_t i = 0; i < modified.size(); i += 1000) modified[i] = 1;
    std::vector<std::int64_t> seen;
    auto made = makeIps(original, modified, [&](std::int64_t done, std::int64_t total) {
        EXPECT_EQ(total, 1 << 20);
        seen.push_back(done);
        return true;
    });
    ASSERT_TRUE(made.ok());
    EXPECT_LE(seen.size(), 17u);
    EXPECT_GE(seen.size(), 15u);
    EXPECT_EQ(seen.back(), 1 << 20);
    auto stopped = makeIps(original, modified, [](std::int64_t, std::int64_t) { return false; });
    ASSERT_FALSE(stopped.ok());
    EXPECT_EQ(stopped.error().category(), ErrorCategory::Stopped);
}

}  // namespace
}  // namespace vantorel::patch
