// Arbitrary bytes as a cartridge image: open it for editing, read every field, write an
// untouched document back (nothing may change), then edit every field and check that only
// the header's fields changed.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/rom/checksum.h"
#include "engine/rom/header_document.h"
#include "engine/rom/region_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantorel::rom;
    const vantorel::Bytes image(data, data + size);
    (void)CalcChecksum(image).matches();

    auto opened = HeaderDocument::fromImage(image, "fuzz.bin");
    if (!opened) return 0;
    HeaderDocument doc = std::move(opened).value();
    for (const FieldSpec& s : kFieldSpecs) (void)doc.text(s.field);
    doc.applyEdits();
    if (doc.image() != image) std::abort();

    // Every field set to what an editor shows for it, as a user retyping it would.
    RegionModel region;
    region.setNewModel(IsNewRegionCode(doc.region()));
    region.setCode(doc.region());
    for (const FieldSpec& s : kFieldSpecs) {
        if (s.field == Field::Devices || s.field == Field::Region) continue;
        if (!doc.setText(s.field, doc.text(s.field))) std::abort();
    }
    doc.setDevices(doc.devices());
    if (!doc.setRegion(region.code().substr(0, 3))) std::abort();
    doc.applyEdits();
    const vantorel::Bytes& edited = doc.image();
    if (edited.size() != image.size()) std::abort();
    for (std::size_t i = 0; i < edited.size(); ++i) {
        const bool inField =
            (i >= 0x100 && i < 0x18E) || (i >= 0x190 && i < 0x1A0) || (i >= 0x1B0 && i < 0x1F3);
        if (!inField && edited[i] != image[i]) std::abort();
    }
    doc.fixChecksum();
    if (!doc.checksum().matches()) std::abort();
    return 0;
}
