// Arbitrary bytes as a cartridge image: read the header and checksum, write the fields
// back (edited and unedited), and check that an unedited write changes nothing.
#include "engine/rom/header.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/rom/checksum.h"
#include "engine/rom/region_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantorel::rom;
    std::vector<std::uint8_t> image(data, data + size);
    const ChecksumPair pair = CalcChecksum(image);
    (void)pair.matches();

    auto header = ReadHeaderRecord(image);
    if (!header) return 0;

    std::vector<std::uint8_t> copy = image;
    if (!WriteHeaderRecord(copy, header.value())) std::abort();
    if (copy != image) std::abort();

    RegionModel region;
    region.setNewModel(IsNewRegionCode(header.value().region));
    region.setCode(header.value().region);

    Header edited = header.value();
    edited.commentEdited = true;
    edited.devicesEdited = true;
    edited.region = region.code();
    if (!WriteHeaderRecord(copy, edited)) std::abort();
    if (copy.size() != image.size()) std::abort();
    for (std::size_t i = 0x1F3; i < copy.size(); ++i)
        if (copy[i] != image[i]) std::abort();
    if (storeChecksum(copy, computeChecksum(copy)) && !CalcChecksum(copy).matches()) std::abort();
    return 0;
}
