// Arbitrary bytes as a BIN image: the SMD output holds every byte, and converting it back
// gives the image padded with zeros to whole blocks.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/convert/smd.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace convert = vantorel::convert;
    auto smd = convert::binToSmd({data, size});
    if (size == 0) {
        if (smd.ok()) std::abort();
        return 0;
    }
    if (!smd.ok()) std::abort();
    const std::size_t blocks = convert::BinBlockCount(size);
    if (smd.value().size() != convert::kSmdHeaderSize + blocks * convert::kSmdBlockSize) std::abort();
    auto bin = convert::smdToBin(smd.value());
    if (!bin.ok() || bin.value().size() != blocks * convert::kSmdBlockSize) std::abort();
    if (!std::equal(data, data + size, bin.value().begin())) std::abort();
    if (!std::all_of(bin.value().begin() + static_cast<std::ptrdiff_t>(size), bin.value().end(),
                     [](std::uint8_t b) { return b == 0; }))
        std::abort();
    return 0;
}
