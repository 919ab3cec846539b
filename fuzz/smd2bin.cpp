// Arbitrary bytes as an SMD file: the conversion either fails with a reason or yields
// whole blocks that convert back to the same blocks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/convert/smd.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace convert = vantorel::convert;
    std::int64_t steps = 0;
    auto bin = convert::smdToBin({data, size}, [&](std::int64_t done, std::int64_t) {
        steps = done;
        return true;
    });
    if (!bin.ok()) {
        if (bin.error().description().empty()) std::abort();
        return 0;
    }
    const auto& image = bin.value();
    const std::size_t blocks = convert::SmdBlockCount({data, size});
    if (image.size() != blocks * convert::kSmdBlockSize || steps != static_cast<std::int64_t>(blocks))
        std::abort();
    auto smd = convert::binToSmd(image);
    if (!smd.ok()) std::abort();
    auto again = convert::smdToBin(smd.value());
    if (!again.ok() || again.value() != image) std::abort();
    return 0;
}
