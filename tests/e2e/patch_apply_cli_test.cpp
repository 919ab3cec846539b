// vantorel-cli patch with IPS, BPS and UPS patches, run as a user runs it.
#include "patch_fixture.h"

namespace cli_test {
namespace {

struct FormatCase {
    Kind kind;
    bool checksImage;  // BPS and UPS know the image they were made for; IPS does not
};

class PatchFormats : public PatchCli, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(PatchFormats, AppliesByContentWhateverTheName) {
    const FormatCase c = GetParam();
    // Named .dat, so only the content can tell the format.
    writeBytes(dir_ / "fix.dat", patchOf(c.kind));
    const CliRun r = run({"patch", "game.bin", "fix.dat", "-o", "out.bin"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "out.bin\n");
    EXPECT_EQ(bytesOf("out.bin"), modified_);
    std::string format = nameOf(c.kind);
    for (char& ch : format) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    EXPECT_EQ(r.err, "vantorel-cli patch: applied " + format + " patch, result CRC32 " +
                         hex8(crc32(modified_)) + "\n");
    EXPECT_EQ(bytesOf("game.bin"), original_);
}

TEST_P(PatchFormats, WrongImageRefusedUnlessIgnoringChecksums) {
    const FormatCase c = GetParam();
    const std::string patch = writePatch(c.kind);
    // One byte off, in a stretch the patch leaves alone: an IPS patch cannot tell.
    Bytes other = original_;
    other[0x3000] ^= 0xFF;
    writeBytes(dir_ / "other.bin", other);
    Bytes expected = modified_;
    expected[0x3000] = other[0x3000];

    const CliRun refused = run({"patch", "other.bin", patch, "-o", "out.bin"});
    if (!c.checksImage) {
        ASSERT_EQ(refused.code, 0) << refused.err;
        EXPECT_EQ(bytesOf("out.bin"), expected);
        return;
    }
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_FALSE(exists("out.bin"));
    EXPECT_NE(refused.err.find("other.bin: The patch was made for another image"), std::string::npos)
        << refused.err;
    for (const std::string& fact :
         {upperHex8(crc32(original_)), upperHex8(crc32(other)), std::to_string(original_.size()) + " bytes"})
        EXPECT_NE(refused.err.find(fact), std::string::npos) << fact << " in " << refused.err;

    const CliRun forced = run({"patch", "other.bin", patch, "-o", "out.bin", "--ignore-checksum"});
    ASSERT_EQ(forced.code, 0) << forced.err;
    EXPECT_EQ(forced.out, "out.bin\n");
    EXPECT_NE(forced.err.find("warning: other.bin: The patch was made for another image"), std::string::npos)
        << forced.err;
    EXPECT_NE(forced.err.find("result CRC32 " + hex8(crc32(expected))), std::string::npos) << forced.err;
    EXPECT_EQ(bytesOf("out.bin"), expected);
}

TEST_P(PatchFormats, SmdCopyOfTheRightGameGetsTheHint) {
    const FormatCase c = GetParam();
    if (!c.checksImage) GTEST_SKIP() << "IPS knows no image";
    const std::string patch = writePatch(c.kind);
    Bytes smd(512, 0);
    smd.insert(smd.end(), original_.begin(), original_.end());
    writeBytes(dir_ / "game.smd", smd);
    const CliRun r = run({"patch", "game.smd", patch, "-o", "out.bin"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("512-byte SMD copier header"), std::string::npos) << r.err;
    EXPECT_FALSE(exists("out.bin"));
}

TEST_P(PatchFormats, DamagedAndTruncatedPatchesWriteNothing) {
    const FormatCase c = GetParam();
    const Bytes patch = patchOf(c.kind);
    Bytes flipped = patch;
    flipped[flipped.size() / 2] ^= 0x01;
    const Bytes halved(patch.begin(), patch.begin() + static_cast<std::ptrdiff_t>(patch.size() / 2));
    const Bytes headerOnly(patch.begin(), patch.begin() + 5);
    const std::vector<std::pair<std::string, Bytes>> broken = {
        {"flipped", flipped}, {"halved", halved}, {"header-only", headerOnly}};
    for (const auto& [name, bytes] : broken) {
        // An IPS patch has no checksum: a flipped data byte is simply other data.
        if (name == "flipped" && !c.checksImage) continue;
        writeBytes(dir_ / (name + ".pat"), bytes);
        const CliRun r = run({"patch", "game.bin", name + ".pat", "-o", "out.bin"});
        EXPECT_EQ(r.code, 1) << name;
        EXPECT_EQ(r.out, "") << name;
        EXPECT_EQ(r.err.rfind("vantorel-cli patch: " + name + ".pat: ", 0), 0u) << name << ": " << r.err;
        EXPECT_FALSE(exists("out.bin")) << name;
    }
    if (c.kind == Kind::Bps) {
        writeBytes(dir_ / "flipped.pat", flipped);
        EXPECT_NE(run({"patch", "game.bin", "flipped.pat", "-o", "out.bin"}).err.find("damaged"),
                  std::string::npos);
        // Damage is never let through, whatever the user waives.
        EXPECT_EQ(run({"patch", "game.bin", "flipped.pat", "-o", "out.bin", "--ignore-checksum"}).code, 1);
        EXPECT_FALSE(exists("out.bin"));
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, PatchFormats,
                         ::testing::Values(FormatCase{Kind::Ips, false}, FormatCase{Kind::Bps, true},
                                           FormatCase{Kind::Ups, true}),
                         [](const auto& info) { return nameOf(info.param.kind); });

TEST_F(PatchCli, UpsOverItsResultGivesTheOriginalBack) {
    const std::string patch = writePatch(Kind::Ups);
    const CliRun r = run({"patch", "hack.bin", patch, "-o", "back.bin"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(bytesOf("back.bin"), original_);
    EXPECT_EQ(r.err,
              "vantorel-cli patch: applied UPS patch in reverse (the original image back), result CRC32 " +
                  hex8(crc32(original_)) + "\n");
}

TEST_F(PatchCli, OutputMayNotBeThePatchOrTheChunk) {
    const std::string patch = writePatch(Kind::Bps);
    const Bytes patchBytes = bytesOf(patch);
    writeBytes(dir_ / "extra.dat", Bytes(100, 0xEE));
    fs::create_symlink(patch, dir_ / "link.bps");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"patch", "game.bin", patch, "-o", patch},
          std::vector<std::string>{"patch", "game.bin", patch, "-o", "link.bps"},
          std::vector<std::string>{"patch", "game.bin", patch, "--append", "extra.dat", "-o", "extra.dat"}}) {
        const CliRun r = run(args);
        EXPECT_EQ(r.code, 1) << args.back();
        EXPECT_NE(r.err.find("name another file"), std::string::npos) << r.err;
    }
    EXPECT_EQ(bytesOf(patch), patchBytes);
    EXPECT_EQ(bytesOf("extra.dat"), Bytes(100, 0xEE));
}

TEST_F(PatchCli, PatchesTheImageOfAnArchiveWithAChunk) {
    skipWithout("zip");
    if (IsSkipped()) return;
    const std::string patch = writePatch(Kind::Bps);
    zipFrom(dir_.string(), "games.zip", "game.bin hack.bin");
    writeBytes(dir_ / "extra.dat", Bytes(10, 0x42));
    const CliRun several = run({"patch", "games.zip", patch, "-o", "out.bin"});
    EXPECT_EQ(several.code, 1);
    EXPECT_NE(several.err.find("--entry"), std::string::npos) << several.err;
    const CliRun r =
        run({"patch", "games.zip", patch, "--entry", "game.bin", "--append", "extra.dat", "-o", "out.bin"});
    ASSERT_EQ(r.code, 0) << r.err;
    Bytes expected = modified_;
    expected.insert(expected.end(), 10, 0x42);
    EXPECT_EQ(bytesOf("out.bin"), expected);
    // The result's CRC32 is the patched image's, not the chunk's too.
    EXPECT_NE(r.err.find(hex8(crc32(modified_))), std::string::npos) << r.err;
}

// Another patcher reads what we write, and we read what it writes.
TEST_F(PatchCli, FlipsAgreesWithUs) {
    skipWithout("flips");
    if (IsSkipped()) return;
    const std::string ours = writePatch(Kind::Bps);
    ASSERT_EQ(shell("flips --apply " + ours + " game.bin theirs-out.bin"), 0);
    EXPECT_EQ(bytesOf("theirs-out.bin"), modified_);
    ASSERT_EQ(shell("flips --create --bps game.bin hack.bin theirs.bps"), 0);
    const CliRun r = run({"patch", "game.bin", "theirs.bps", "-o", "out.bin"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(bytesOf("out.bin"), modified_);
}

}  // namespace
}  // namespace cli_test
