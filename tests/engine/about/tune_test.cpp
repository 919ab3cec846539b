#include "engine/about/tune.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "engine/common/file_io.h"
#include "engine/support/temp_folder.h"

namespace fs = std::filesystem;
using namespace vantorel::about;
using vantorel::Bytes;

namespace {

using TempDir = vantorel::test::TempFolder;

Bytes storedTune() {
    auto data = vantorel::readWholeFile(fs::path(VANTOREL_SOURCE_DIR) / "resources/about/credits.mid.inv");
    return data.ok() ? data.value() : Bytes{};
}

Bytes chunk(const char* id, const Bytes& body) {
    Bytes out;
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(id[i]));
    const auto n = static_cast<std::uint32_t>(body.size());
    for (int shift : {24, 16, 8, 0}) out.push_back(static_cast<std::uint8_t>(n >> shift));
    for (std::uint8_t b : body) out.push_back(b);
    return out;
}

Bytes header(int format, int tracks, int division = 96) {
    return chunk("MThd", {0, static_cast<std::uint8_t>(format), 0, static_cast<std::uint8_t>(tracks),
                          static_cast<std::uint8_t>(division >> 8), static_cast<std::uint8_t>(division)});
}

Bytes file(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

const Bytes kEnd = {0x00, 0xFF, 0x2F, 0x00};

Bytes withEnd(Bytes events) {
    events.insert(events.end(), kEnd.begin(), kEnd.end());
    return events;
}

}  // namespace

TEST(Tune, InvertIsItsOwnInverse) {
    const Bytes data = {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF};
    EXPECT_EQ(invertBytes(data), (Bytes{0xFF, 0xFE, 0x80, 0x7F, 0x01, 0x00}));
    EXPECT_EQ(invertBytes(invertBytes(data)), data);
}

TEST(Tune, FileNameIsTheRunNumberInUpperHex) {
    EXPECT_EQ(tempMusicName(0x1a2b), "1A2B.mid");
    EXPECT_EQ(tempMusicName(255), "FF.mid");
    EXPECT_EQ(tempMusicName(7), "7.mid");
}

// The stored resource, written out, is a Standard MIDI File that parses track by track.
TEST(Tune, StoredTuneWritesOutAsAValidMidiFile) {
    const Bytes stored = storedTune();
    ASSERT_FALSE(stored.empty());
    TempDir dir;
    auto written = writeTune(stored, dir.path(), 0xBEEF);
    ASSERT_TRUE(written.ok()) << written.error().description();
    EXPECT_EQ(written.value(), dir.path() / "BEEF.mid");

    auto bytes = vantorel::readWholeFile(written.value());
    ASSERT_TRUE(bytes.ok());
    EXPECT_EQ(bytes.value(), invertBytes(stored));
    ASSERT_GE(bytes.value().size(), 4u);
    EXPECT_EQ(std::string(bytes.value().begin(), bytes.value().begin() + 4), "MThd");

    auto summary = checkStandardMidi(bytes.value());
    ASSERT_TRUE(summary.ok()) << summary.error().description();
    EXPECT_EQ(summary.value().format, 1);
    EXPECT_GE(summary.value().trackCount, 2);
    EXPECT_EQ(summary.value().eventsPerTrack.size(), static_cast<std::size_t>(summary.value().trackCount));
    int notes = 0;
    for (int e : summary.value().eventsPerTrack) notes += e;
    EXPECT_GT(notes, 500);  // a real tune, not a few placeholder notes
}

TEST(Tune, WriteReplacesAnExistingFile) {
    TempDir dir;
    const Bytes stored = invertBytes(file({header(0, 1), chunk("MTrk", kEnd)}));
    ASSERT_TRUE(vantorel::writeFileAtomically(dir.path() / "2A.mid", Bytes(5000, 0x55)).ok());
    ASSERT_TRUE(writeTune(stored, dir.path(), 0x2A).ok());
    EXPECT_EQ(vantorel::readWholeFile(dir.path() / "2A.mid").value(), invertBytes(stored));
}

TEST(Tune, WriteIntoAMissingFolderFails) {
    TempDir dir;
    const Bytes stored = invertBytes(file({header(0, 1), chunk("MTrk", kEnd)}));
    auto missing = writeTune(stored, dir.path() / "absent", 1);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().number(), ENOENT);
    EXPECT_FALSE(fs::exists(dir.path() / "absent" / "1.mid"));
}

TEST(Tune, WriteIntoAFolderThatCannotBeWrittenFails) {
    TempDir dir;
    const Bytes stored = invertBytes(file({header(0, 1), chunk("MTrk", kEnd)}));
    // A "folder" that is a regular file can be written by nobody, root included.
    std::ofstream(dir.path() / "plain") << "x";
    const auto written = writeTune(stored, dir.path() / "plain", 1);
    ASSERT_FALSE(written.ok());
    EXPECT_EQ(written.error().category(), vantorel::ErrorCategory::System);
    EXPECT_EQ(written.error().number(), ENOTDIR);
}

struct MidiCase {
    const char* name;
    Bytes data;
    bool valid;
};

// Test listings show the case's name, not its bytes.
void PrintTo(const MidiCase& c, std::ostream* os) {
    *os << c.name;
}

class CheckMidiTest : public ::testing::TestWithParam<MidiCase> {};

TEST_P(CheckMidiTest, AcceptsWellFormedFilesOnly) {
    auto r = checkStandardMidi(GetParam().data);
    EXPECT_EQ(r.ok(), GetParam().valid) << (r.ok() ? std::string() : r.error().description());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckMidiTest,
    ::testing::Values(
        MidiCase{"MinimalFormat0", file({header(0, 1), chunk("MTrk", kEnd)}), true},
        MidiCase{"RunningStatus",
                 file({header(0, 1), chunk("MTrk", withEnd({0x00, 0x90, 60, 100, 0x60, 60, 0, 0x00, 64, 90,
                                                            0x81, 0x00, 64, 0}))}),
                 true},
        MidiCase{"ProgramChangeAndSysex",
                 file({header(1, 2), chunk("MTrk", withEnd({0x00, 0xC0, 5, 0x00, 0xF0, 0x02, 0x7E, 0xF7})),
                       chunk("MTrk", withEnd({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}))}),
                 true},
        MidiCase{"UnknownChunkSkipped", file({header(0, 1), chunk("XFIH", {1, 2, 3}), chunk("MTrk", kEnd)}),
                 true},
        MidiCase{"Empty", {}, false},
        MidiCase{"NotMidi", Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96}, false},
        MidiCase{"TruncatedHeader", Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0}, false},
        MidiCase{"NoTracks", header(0, 0), false},
        MidiCase{"TrackMissing", file({header(1, 2), chunk("MTrk", kEnd)}), false},
        MidiCase{"NoEndOfTrack", file({header(0, 1), chunk("MTrk", {0x00, 0x90, 60, 100})}), false},
        MidiCase{"DataAfterEnd", file({header(0, 1), chunk("MTrk", {0x00, 0xFF, 0x2F, 0x00, 0x00})}), false},
        MidiCase{"DataWithoutStatus", file({header(0, 1), chunk("MTrk", withEnd({0x00, 60, 100}))}), false},
        MidiCase{"TruncatedNote", file({header(0, 1), chunk("MTrk", {0x00, 0x90, 60})}), false},
        MidiCase{"MetaLengthPastTheEnd", file({header(0, 1), chunk("MTrk", {0x00, 0xFF, 0x01, 0x7F, 'a'})}),
                 false},
        MidiCase{"ChunkPastTheEnd", file({header(0, 1), Bytes{'M', 'T', 'r', 'k', 0, 0, 1, 0, 0x00}}), false},
        MidiCase{"OverlongDelta",
                 file({header(0, 1), chunk("MTrk", {0x80, 0x80, 0x80, 0x80, 0x00, 0xFF, 0x2F, 0x00})}),
                 false}),
    [](const auto& info) { return std::string(info.param.name); });
