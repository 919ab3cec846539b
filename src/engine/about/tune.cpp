#include "engine/about/tune.h"

#include <cstring>

#include "engine/about/credits.h"
#include "engine/common/file_io.h"

namespace vantorel::about {

namespace {
constexpr const char* kMidiSource = "prVantor.modCredits.CheckMidi";

Error bad(const std::string& why) {
    return Error(ErrorCategory::Music, 1, kMidiSource, why, {why});
}

std::uint32_t be32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}
std::uint16_t be16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

// A variable-length quantity: at most four bytes, seven bits each.
bool readVarLen(std::span<const std::uint8_t> t, std::size_t& pos, std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
        if (pos >= t.size()) return false;
        const std::uint8_t b = t[pos++];
        value = (value << 7) | (b & 0x7F);
        if (!(b & 0x80)) return true;
    }
    return false;
}

// Reads one track's events; fills the count and length in ticks.
Result<void> checkTrack(std::span<const std::uint8_t> t, int& events, std::uint64_t& ticks) {
    std::size_t pos = 0;
    std::uint8_t running = 0;
    events = 0;
    ticks = 0;
    while (pos < t.size()) {
        std::uint32_t delta = 0;
        if (!readVarLen(t, pos, delta)) return bad("bad delta time");
        ticks += delta;
        if (pos >= t.size()) return bad("track ends inside an event");
        std::uint8_t status = t[pos];
        if (status & 0x80) {
            ++pos;
        } else {
            if (!running) return bad("data byte without a status");
            status = running;
        }
        ++events;
        if (status == 0xFF) {
            if (pos >= t.size()) return bad("truncated meta event");
            const std::uint8_t type = t[pos++];
            std::uint32_t len = 0;
            if (!readVarLen(t, pos, len) || len > t.size() - pos) return bad("truncated meta event");
            pos += len;
            running = 0;
            if (type == 0x2F) {
                if (pos != t.size()) return bad("data after End of Track");
                return Done{};
            }
        } else if (status == 0xF0 || status == 0xF7) {
            std::uint32_t len = 0;
            if (!readVarLen(t, pos, len) || len > t.size() - pos)
                return bad("truncated system-exclusive event");
            pos += len;
            running = 0;
        } else if (status >= 0xF0) {
            return bad("system message inside a file");
        } else {
            const std::size_t dataBytes = ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0) ? 1 : 2;
            if (dataBytes > t.size() - pos) return bad("truncated channel event");
            for (std::size_t i = 0; i < dataBytes; ++i)
                if (t[pos + i] & 0x80) return bad("status byte where data was expected");
            pos += dataBytes;
            running = status;
        }
    }
    return bad("track without End of Track");
}

}  // namespace

Bytes invertBytes(std::span<const std::uint8_t> data) {
    Bytes out(data.size());
    for (std::size_t i = 0; i < data.size(); ++i) out[i] = static_cast<std::uint8_t>(255 - data[i]);
    return out;
}

std::string tempMusicName(std::uint64_t runNumber) {
    return hexUpper(runNumber) + ".mid";
}

Result<std::filesystem::path> writeTune(std::span<const std::uint8_t> storedTune,
                                        const std::filesystem::path& folder, std::uint64_t runNumber) {
    const std::filesystem::path path = folder / tempMusicName(runNumber);
    const Bytes midi = invertBytes(storedTune);
    if (auto written = writeFileAtomically(path, midi); !written) return written.error();
    return path;
}

Result<MidiSummary> checkStandardMidi(std::span<const std::uint8_t> data) {
    if (data.size() < 14 || std::memcmp(data.data(), "MThd", 4) != 0) return bad("no MThd header");
    const std::uint32_t headerLen = be32(data.data() + 4);
    if (headerLen < 6 || headerLen > data.size() - 8) return bad("bad MThd length");
    MidiSummary s;
    s.format = be16(data.data() + 8);
    s.trackCount = be16(data.data() + 10);
    s.division = be16(data.data() + 12);
    if (s.format > 2) return bad("unknown format");
    if (s.trackCount == 0) return bad("no tracks");
    if (s.format == 0 && s.trackCount != 1) return bad("format 0 with several tracks");
    if (s.division == 0) return bad("zero division");

    std::size_t pos = 8 + headerLen;
    while (pos < data.size()) {
        if (data.size() - pos < 8) return bad("truncated chunk header");
        const std::uint32_t len = be32(data.data() + pos + 4);
        if (len > data.size() - pos - 8) return bad("chunk runs past the end of the file");
        const auto body = data.subspan(pos + 8, len);
        if (std::memcmp(data.data() + pos, "MTrk", 4) == 0) {
            int events = 0;
            std::uint64_t ticks = 0;
            if (auto ok = checkTrack(body, events, ticks); !ok) return ok.error();
            s.eventsPerTrack.push_back(events);
            s.ticksPerTrack.push_back(ticks);
        }
        pos += 8 + len;
    }
    if (static_cast<int>(s.eventsPerTrack.size()) != s.trackCount)
        return bad("track count does not match the header");
    return s;
}

}  // namespace vantorel::about
