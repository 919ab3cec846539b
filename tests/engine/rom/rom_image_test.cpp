#include "engine/rom/rom_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/common/file_io.h"
#include "engine/support/file_size_limit.h"
#include "engine/support/temp_folder.h"

using namespace vantorel;
using namespace vantorel::rom;
namespace fs = std::filesystem;

namespace {

using TempDir = vantorel::test::TempFolder;

void writeFile(const fs::path& p, const Bytes& data) {
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), data.size());
}

Bytes pattern(std::size_t n, int seed) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 31 + seed);
    return b;
}

}  // namespace

TEST(SplitMultiSelect, OneExistingFileIsItsOwnList) {
    TempDir dir;
    writeFile(dir / "a.bin", {1});
    const std::string path = (dir / "a.bin").string();
    EXPECT_EQ(SplitMultiSelect(path + std::string(2, '\0')), std::vector<std::string>{path});
}

TEST(SplitMultiSelect, FolderThenNamesInTheirOrder) {
    using V = std::vector<std::string>;
    const std::string nul(1, '\0');
    EXPECT_EQ(SplitMultiSelect("/roms" + nul + "c.bin" + nul + "a.bin" + nul + "b.bin" + nul + nul),
              (V{"/roms/c.bin", "/roms/a.bin", "/roms/b.bin"}));
    // A root folder gets no second separator; blanks round names go, empty items are skipped.
    EXPECT_EQ(SplitMultiSelect("/" + nul + " x.bin " + nul + nul + "y.smd" + nul + nul),
              (V{"/x.bin", "/y.smd"}));
    EXPECT_EQ(SplitMultiSelect(""), V{});
}

TEST(RomImage, LoadsTheWholeFileAsItIs) {
    TempDir dir;
    const Bytes data = pattern(0x200, 5);
    writeFile(dir / "g.smd", data);
    auto loaded = LoadRomImage(dir / "g.smd");
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(loaded.value(), data);
    EXPECT_EQ(loaded.value()[0x100], data[0x100]);
}

TEST(RomImage, MissingFileFailsWithSystemTextAndIsNotCreated) {
    TempDir dir;
    for (const fs::path& p : {dir / "nothing.bin", dir / "no-folder" / "x.bin"}) {
        auto loaded = LoadRomImage(p);
        ASSERT_FALSE(loaded.ok());
        EXPECT_EQ(loaded.error().number(), ENOENT);
        EXPECT_EQ(loaded.error().description(), systemErrorText(ENOENT));
        EXPECT_FALSE(fs::exists(p));
    }
    EXPECT_FALSE(LoadRomImage("").ok());
    EXPECT_TRUE(LoadRomImage(dir.path()).error().is(ErrorCategory::File, file_error::kNotRegularFile));
}

TEST(RomImage, EmptyFileLoadsAsNoBytes) {
    TempDir dir;
    writeFile(dir / "empty.bin", {});
    auto loaded = LoadRomImage(dir / "empty.bin");
    ASSERT_TRUE(loaded.ok());
    EXPECT_TRUE(loaded.value().empty());
}

TEST(RomImage, ShorterImageOverLongerFileLeavesExactlyTheImage) {
    TempDir dir;
    writeFile(dir / "big.bin", pattern(2 * 1048576, 1));
    const Bytes small = pattern(1048576, 9);
    ASSERT_TRUE(WriteRomImage(dir / "big.bin", small).ok());
    EXPECT_EQ(fs::file_size(dir / "big.bin"), 1048576u);
    EXPECT_EQ(LoadRomImage(dir / "big.bin").value(), small);
}

TEST(RomImage, FailedWriteLeavesTheOriginalWhole) {
    TempDir dir;
    const Bytes original = pattern(4096, 3);
    writeFile(dir / "g.bin", original);
    {
        test::ScopedFileSizeLimit full(100);
        auto done = WriteRomImage(dir / "g.bin", pattern(4096, 4));
        ASSERT_FALSE(done.ok());
        EXPECT_FALSE(done.error().description().empty());
    }
    EXPECT_EQ(LoadRomImage(dir / "g.bin").value(), original);

    auto gone = WriteRomImage(dir / "missing-folder" / "g.bin", original);
    EXPECT_FALSE(gone.ok());
    EXPECT_EQ(gone.error().number(), ENOENT);
    EXPECT_FALSE(WriteRomImage("", original).ok());
}
