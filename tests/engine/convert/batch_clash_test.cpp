#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/convert/naming.h"
#include "engine/support/temp_folder.h"

namespace vantorel::convert {

// Beside the type, where GoogleTest looks for it.
void PrintTo(const BatchClash& c, std::ostream* os) {
    *os << (c.kind == BatchClash::Kind::SharedDestination ? "shared" : "over-source") << "(" << c.first
        << ", " << c.second << ")";
}

namespace {
namespace fs = std::filesystem;
using vantorel::test::TempFolder;
using Kind = BatchClash::Kind;

// Paths are relative to the scratch folder, which is the working folder during the test;
// a leading "@" makes a path absolute, so both spellings can meet in one batch.
struct ClashCase {
    const char* name;
    std::vector<std::pair<const char*, const char*>> batch;
    std::vector<BatchClash> expected;
};
void PrintTo(const ClashCase& c, std::ostream* os) {
    *os << c.name;
}

// The tree every case sees: two source folders, an output folder with one file in it, a
// link to that folder, a link to that file, a second name (hard link) for it, and a link
// to a file that does not exist yet.
class BatchClashes : public ::testing::TestWithParam<ClashCase> {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        fs::current_path(root_.path());
        for (const char* folder : {"a", "b", "out"}) fs::create_directory(folder);
        for (const char* file : {"a/x.bin", "b/x.bin", "a/y.bin", "out/old.smd"})
            test::writeBytes(file, "data");
        fs::create_directory_symlink("out", "outlink");
        fs::create_symlink("old.smd", "out/alias.smd");
        fs::create_hard_link("out/old.smd", "out/second.smd");
        fs::create_symlink("new.smd", "out/dangling.smd");
    }
    void TearDown() override { fs::current_path(previous_); }

    fs::path spelled(const char* path) const {
        return path[0] == '@' ? root_.path() / (path + 1) : fs::path(path);
    }

    TempFolder root_;
    fs::path previous_;
};

TEST_P(BatchClashes, AreFoundThroughEverySpelling) {
    std::vector<BatchEntry> batch;
    for (const auto& [source, destination] : GetParam().batch)
        batch.push_back({spelled(source), spelled(destination)});
    EXPECT_EQ(findBatchClashes(batch), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BatchClashes,
    ::testing::Values(
        ClashCase{"DistinctOutputs", {{"a/x.bin", "out/x.smd"}, {"a/y.bin", "out/y.smd"}}, {}},
        ClashCase{"SameNameFromTwoFolders",
                  {{"a/x.bin", "out/x.smd"}, {"b/x.bin", "out/x.smd"}},
                  {{Kind::SharedDestination, 0, 1}}},
        ClashCase{"DotAndDotDot",
                  {{"a/x.bin", "out/x.smd"}, {"b/x.bin", "./out/../out/./x.smd"}},
                  {{Kind::SharedDestination, 0, 1}}},
        ClashCase{"RelativeAndAbsolute",
                  {{"a/x.bin", "out/x.smd"}, {"b/x.bin", "@out/x.smd"}},
                  {{Kind::SharedDestination, 0, 1}}},
        ClashCase{"LinkedFolder",
                  {{"a/x.bin", "outlink/x.smd"}, {"b/x.bin", "out/x.smd"}},
                  {{Kind::SharedDestination, 0, 1}}},
        ClashCase{"LinkedFile",
                  {{"a/x.bin", "out/alias.smd"}, {"b/x.bin", "out/old.smd"}},
                  {{Kind::SharedDestination, 0, 1}}},
        ClashCase{"HardLinkedFile",
                  {{"a/x.bin", "out/second.smd"}, {"b/x.bin", "out/old.smd"}},
                  {{Kind::SharedDestination, 0, 1}}},
        ClashCase{"DanglingLinkAndItsTarget",
                  {{"a/x.bin", "out/dangling.smd"}, {"b/x.bin", "out/new.smd"}},
                  {{Kind::SharedDestination, 0, 1}}},
        ClashCase{"ThreeOntoOne",
                  {{"a/x.bin", "out/x.smd"},
                   {"a/y.bin", "out/y.smd"},
                   {"b/x.bin", "out/x.smd"},
                   {"a/x.bin", "@out/x.smd"}},
                  {{Kind::SharedDestination, 0, 2}, {Kind::SharedDestination, 0, 3}}},
        ClashCase{"CaseDiffers", {{"a/x.bin", "out/x.smd"}, {"b/x.bin", "out/X.smd"}}, {}},
        ClashCase{"OutputOverALaterSource",
                  {{"a/x.bin", "a/y.bin"}, {"a/y.bin", "out/y.smd"}},
                  {{Kind::DestinationIsSource, 1, 0}}},
        ClashCase{"OutputOverAnEarlierSource",
                  {{"a/x.bin", "out/x.smd"}, {"a/y.bin", "@a/./x.bin"}},
                  {{Kind::DestinationIsSource, 0, 1}}},
        ClashCase{"OutputOverASourceThroughALink",
                  {{"out/old.smd", "a/z.bin"}, {"a/y.bin", "outlink/alias.smd"}},
                  {{Kind::DestinationIsSource, 0, 1}}},
        // The converter refuses this entry alone; the rest of the batch may still run.
        ClashCase{"OwnSourceIsNotABatchClash", {{"a/x.bin", "a/x.bin"}, {"a/y.bin", "out/y.smd"}}, {}},
        ClashCase{"NothingToCompare", {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BatchClashError, NamesBothSourcesAndTheDestination) {
    const std::vector<BatchEntry> batch = {{"a/x.bin", "out/x.smd"}, {"b/x.bin", "out/x.smd"}};
    const Error shared = batchClashError({Kind::SharedDestination, 0, 1}, batch);
    EXPECT_TRUE(shared.is(ErrorCategory::File, kErrSharedDestination));
    EXPECT_EQ(shared.args(), (std::vector<std::string>{"a/x.bin", "b/x.bin", "out/x.smd"}));
    EXPECT_EQ(shared.description(),
              "\"a/x.bin\" and \"b/x.bin\" would both be written to \"out/x.smd\"; nothing was converted");

    const std::vector<BatchEntry> over = {{"a/x.bin", "out/x.smd"}, {"a/y.bin", "a/x.bin"}};
    const Error overSource = batchClashError({Kind::DestinationIsSource, 0, 1}, over);
    EXPECT_TRUE(overSource.is(ErrorCategory::File, kErrDestinationIsSource));
    EXPECT_EQ(overSource.args(), (std::vector<std::string>{"a/x.bin", "a/y.bin", "a/x.bin"}));
    for (const std::string& arg : overSource.args())
        EXPECT_NE(overSource.description().find(arg), std::string::npos) << arg;
}

}  // namespace
}  // namespace vantorel::convert
