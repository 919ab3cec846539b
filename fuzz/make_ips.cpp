// Pairs of images built from the input: the IPS made for them must give the modified image
// through DoPatch, never start a record at 0x454F46, and may only be refused for a change
// IPS cannot express.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/patch/ips.h"
#include "engine/patch/make_patch.h"
#include "fuzz_pair.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantorel;
    static fuzz::Pair p;
    static Bytes image;
    fuzz::pairFrom({data, size}, true, p);
    auto made = patch::makeIps(p.original, p.modified);
    if (!made.ok()) {
        const bool shorter = p.modified.size() < p.original.size();
        const bool unrepresentable = made.error().number() == patch::kIpsUnrepresentableError;
        if (!unrepresentable || !shorter || p.modified.size() != 0x454F46) std::abort();
        return 0;
    }
    auto study = patch::StudyIps(made.value());
    if (!study.ok()) std::abort();
    std::size_t position = 5;
    while (position < study.value().recordsEnd) {
        auto record = patch::ReadIpsRecord(made.value(), position, study.value().recordsEnd);
        if (!record.ok() || record.value().offset == 0x454F46 || record.value().length() == 0) std::abort();
    }
    image.assign(p.original.begin(), p.original.end());
    if (!patch::DoPatch(image, made.value()).ok() || image != p.modified) std::abort();
    return 0;
}
