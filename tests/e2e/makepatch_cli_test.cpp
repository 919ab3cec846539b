// vantorel-cli makepatch and patchinfo, run as a user runs them.
#include <unistd.h>

#include "patch_fixture.h"

namespace cli_test {
namespace {

struct MakeCase {
    std::vector<std::string> args;  // after ORIGINAL and MODIFIED
    std::string output;
    std::string magic;  // what the patch must start with
};

class MakePatch : public PatchCli, public ::testing::WithParamInterface<MakeCase> {};

TEST_P(MakePatch, RoundTripsThroughTheEngineAndThePatchCommand) {
    const MakeCase c = GetParam();
    std::vector<std::string> args = {"makepatch", "game.bin", "hack.bin"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CliRun r = run(args);
    ASSERT_EQ(r.code, 0) << r.err;
    const Bytes patch = bytesOf(c.output);
    ASSERT_GE(patch.size(), c.magic.size());
    EXPECT_EQ(std::string(patch.begin(), patch.begin() + static_cast<std::ptrdiff_t>(c.magic.size())),
              c.magic);
    EXPECT_EQ(r.out, c.output + ": " + std::to_string(patch.size()) + " bytes (" +
                         vantorel::patch::sizeText(patch.size()) + ")\n");
    EXPECT_EQ(r.err, "");

    auto applied = vantorel::patch::applyPatch(original_, patch);
    ASSERT_TRUE(applied.ok()) << applied.error().description();
    EXPECT_EQ(applied.value().image, modified_);
    const CliRun back = run({"patch", "game.bin", c.output, "-o", "out.bin"});
    ASSERT_EQ(back.code, 0) << back.err;
    EXPECT_EQ(bytesOf("out.bin"), modified_);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, MakePatch,
    ::testing::Values(MakeCase{{"-o", "hack.ips"}, "hack.ips", "PATCH"},
                      MakeCase{{"-o", "HACK.BPS"}, "HACK.BPS", "BPS1"},
                      MakeCase{{"--format", "bps", "-o", "hack.ips"}, "hack.ips", "BPS1"},
                      MakeCase{{"-o", "hack.patch", "--format", "ips"}, "hack.patch", "PATCH"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST_F(PatchCli, MakePatchNeedsAFormat) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"makepatch", "game.bin", "hack.bin", "-o", "hack.ups"},
          std::vector<std::string>{"makepatch", "game.bin", "hack.bin", "-o", "hack"},
          std::vector<std::string>{"makepatch", "game.bin", "hack.bin", "-o", "hack.bps", "--format", "ups"},
          std::vector<std::string>{"makepatch", "game.bin", "-o", "hack.bps"}}) {
        const CliRun r = run(args);
        EXPECT_EQ(r.code, 2) << args[4];
        EXPECT_NE(r.err.find("Try 'vantorel-cli makepatch --help'"), std::string::npos) << r.err;
    }
    EXPECT_NE(run({"makepatch", "game.bin", "hack.bin", "-o", "hack.ups"}).err.find("--format ips|bps"),
              std::string::npos);
    EXPECT_EQ(listing(), (std::vector<std::string>{"game.bin", "hack.bin"}));
}

TEST_F(PatchCli, MakePatchNeverWritesOverAnInput) {
    fs::create_symlink("hack.bin", dir_ / "link.bin");
    fs::create_hard_link(dir_ / "game.bin", dir_ / "hard.bin");
    for (const char* output : {"game.bin", "hack.bin", "./hack.bin", "link.bin", "hard.bin"}) {
        const CliRun r = run({"makepatch", "game.bin", "hack.bin", "--format", "bps", "-o", output});
        EXPECT_EQ(r.code, 1) << output;
        EXPECT_NE(r.err.find("name another file"), std::string::npos) << r.err;
    }
    EXPECT_EQ(bytesOf("game.bin"), original_);
    EXPECT_EQ(bytesOf("hack.bin"), modified_);
}

TEST_F(PatchCli, IpsRefusalsComeFromTheEngine) {
    // A change past the last byte an IPS record can reach; BPS describes it.
    Bytes big(0x1000000 + 0x10000 + 16, 0);
    big.back() = 1;
    writeBytes(dir_ / "big.bin", big);
    const CliRun r = run({"makepatch", "game.bin", "big.bin", "-o", "big.ips"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("big.bin: IPS cannot describe this change"), std::string::npos) << r.err;
    EXPECT_FALSE(exists("big.ips"));
}

TEST_F(PatchCli, MakePatchReadsArchives) {
    skipWithout("zip");
    if (IsSkipped()) return;
    zipFrom(dir_.string(), "both.zip", "game.bin hack.bin");
    const CliRun r = run({"makepatch", "both.zip", "hack.bin", "--entry", "game.bin", "-o", "z.bps"});
    ASSERT_EQ(r.code, 0) << r.err;
    auto applied = vantorel::patch::applyPatch(original_, bytesOf("z.bps"));
    ASSERT_TRUE(applied.ok());
    EXPECT_EQ(applied.value().image, modified_);
}

// patchinfo: the facts each format holds, and null for the ones it lacks.
struct InfoCase {
    std::string name;
    std::function<Bytes(const Bytes& original, const Bytes& modified)> make;
    nlohmann::json expected;  // the JSON fields to check, besides those every format has
};

class PatchInfo : public PatchCli, public ::testing::WithParamInterface<InfoCase> {};

const std::vector<std::string> kInfoKeys = {
    "path",          "format",          "patch_size",   "file_crc32",   "patch_crc32",
    "source_size",   "source_crc32",    "target_size",  "target_crc32", "record_count",
    "metadata_size", "ips_truncate_to", "ips_write_end"};

TEST_P(PatchInfo, TextAndJsonTellTheSameFacts) {
    const InfoCase c = GetParam();
    const Bytes patch = c.make(original_, modified_);
    writeBytes(dir_ / "p.any", patch);
    const CliRun json = run({"patchinfo", "p.any", "--json"});
    ASSERT_EQ(json.code, 0) << json.err;
    // Read keeping the order, which is part of what scripts and readers rely on.
    const auto value = nlohmann::ordered_json::parse(json.out);
    std::vector<std::string> keys;
    for (const auto& item : value.items()) keys.push_back(item.key());
    EXPECT_EQ(keys, kInfoKeys);
    EXPECT_EQ(value["path"], "p.any");
    EXPECT_EQ(value["patch_size"], patch.size());
    EXPECT_EQ(value["file_crc32"], hex8(crc32(patch)));
    for (const auto& item : c.expected.items()) EXPECT_EQ(value[item.key()], item.value()) << item.key();

    const CliRun text = run({"patchinfo", "p.any"});
    ASSERT_EQ(text.code, 0) << text.err;
    std::string lines;
    for (const std::string& key : kInfoKeys) {
        const auto& v = value[key];
        if (v.is_null()) continue;
        lines += key + ": " + (v.is_string() ? v.get<std::string>() : v.dump()) + "\n";
    }
    EXPECT_EQ(text.out, lines);
}

Bytes ipsWithTruncation(const Bytes&, const Bytes&) {
    return {'P', 'A', 'T', 'C', 'H', 0, 0,    1,   0,   2,   0xAA, 0xBB, 0,
            0,   9,   0,   0,   0,   3, 0x77, 'E', 'O', 'F', 0,    0x10, 0};
}

INSTANTIATE_TEST_SUITE_P(
    Formats, PatchInfo,
    ::testing::Values(InfoCase{"ips",
                               ipsWithTruncation,
                               {{"format", "ips"},
                                {"record_count", 2},
                                {"ips_truncate_to", 0x1000},
                                {"ips_write_end", 12},
                                {"patch_crc32", nullptr},
                                {"source_size", nullptr},
                                {"target_crc32", nullptr},
                                {"metadata_size", nullptr}}},
                      InfoCase{"bps",
                               [](const Bytes& o, const Bytes&) {
                                   return bpsWithMetadata(o, "<patch>hack</patch>");
                               },
                               {{"format", "bps"},
                                {"source_size", 65536},
                                {"target_size", 65536},
                                {"source_crc32", hex8(crc32(romImage(64 * 1024, 7, "PATCH TEST")))},
                                {"record_count", 1},
                                {"metadata_size", 19},
                                {"ips_truncate_to", nullptr},
                                {"ips_write_end", nullptr}}},
                      InfoCase{"ups",
                               [](const Bytes& o, const Bytes& m) { return makeUps(o, m); },
                               {{"format", "ups"},
                                {"source_size", 65536},
                                {"target_size", 65536 + 3000},
                                {"metadata_size", nullptr},
                                {"ips_write_end", nullptr}}}),
    [](const auto& info) { return info.param.name; });

TEST_F(PatchCli, PatchInfoChecksThePatch) {
    Bytes ups = makeUps(original_, modified_);
    const std::uint32_t stored = crc32(Bytes(ups.begin(), ups.end() - 4));
    const nlohmann::json value = parsed(run({"patchinfo", writePatch(Kind::Ups), "--json"}));
    EXPECT_EQ(value["patch_crc32"], hex8(stored));
    EXPECT_EQ(value["target_crc32"], hex8(crc32(modified_)));

    ups[8] ^= 0x10;
    writeBytes(dir_ / "bad.ups", ups);
    writeBytes(dir_ / "none.ips", Bytes{'N', 'O', 'P', 'E'});
    for (const std::string name : {"bad.ups", "none.ips", "missing.bps"}) {
        const CliRun r = run({"patchinfo", name, "--json"});
        EXPECT_EQ(r.code, 1) << name;
        EXPECT_EQ(r.out, "") << name;
        EXPECT_EQ(r.err.rfind("vantorel-cli patchinfo: " + std::string(name) + ": ", 0), 0u) << r.err;
    }
    EXPECT_NE(run({"patchinfo", "bad.ups"}).err.find("damaged"), std::string::npos);
}

}  // namespace
}  // namespace cli_test
