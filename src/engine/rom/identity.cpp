#include "engine/rom/identity.h"

#include "engine/convert/smd.h"
#include "engine/rom/checksum.h"
#include "engine/rom/rom_range.h"

namespace vantorel::rom {

Result<Identity> identify(const LoadedImage& image) {
    Identity id;
    id.path = image.path;
    id.entry = image.entry;
    id.layout = detectLayout(image.data);
    Bytes deinterleaved;
    std::span<const std::uint8_t> plain = image.data;
    if (id.layout == Layout::Smd) {
        auto converted = convert::smdToBin(image.data, deinterleaved);
        if (!converted) return converted.error();
        plain = converted.value();
    }
    auto digests = computeDigests(plain);
    if (!digests) return digests.error();
    id.digests = digests.value();
    id.size = plain.size();
    id.segaSignature = hasSegaSignature(plain);
    const ChecksumPair checksum = CalcChecksum(plain);
    id.checksumStored = checksum.stored();
    id.checksumComputed = checksum.computed();
    id.romStart = romStart(plain);
    id.romEnd = romEnd(plain);
    id.romEndMatches = romEndMatchesSize(plain);
    return id;
}

std::string checksumHex(std::uint16_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out(4, '0');
    for (int i = 3; i >= 0; --i) {
        out[static_cast<std::size_t>(i)] = kDigits[value & 0x0F];
        value = static_cast<std::uint16_t>(value >> 4);
    }
    return out;
}

std::vector<IdentityField> identityFields(const Identity& id) {
    FieldValue entry;
    if (id.entry) entry = *id.entry;
    return {
        {"path", id.path.string()},
        {"entry", std::move(entry)},
        {"size", id.size},
        {"layout", std::string(layoutName(id.layout))},
        {"crc32", crc32Hex(id.digests.crc32)},
        {"md5", toHex(id.digests.md5)},
        {"sha1", toHex(id.digests.sha1)},
        {"checksum_stored", checksumHex(id.checksumStored)},
        {"checksum_computed", checksumHex(id.checksumComputed)},
        {"rom_start", std::uint64_t{id.romStart}},
        {"rom_end", std::uint64_t{id.romEnd}},
        {"rom_end_matches", id.romEndMatches},
    };
}

}  // namespace vantorel::rom
