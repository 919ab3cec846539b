// Arbitrary bytes as a header value typed on a command line: for every field it is either
// refused with a numbered reason or taken as ISO-8859-1 text that fits the field, gives the
// same UTF-8 back, and is accepted by the document.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/common/text.h"
#include "engine/rom/header_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantorel;
    using namespace vantorel::rom;
    const std::string_view utf8(reinterpret_cast<const char*>(data), size);
    auto doc = HeaderDocument::fromImage(Bytes(kHeaderMinLength), {});
    if (!doc) std::abort();
    for (const FieldSpec& def : kFieldSpecs) {
        auto value = fieldValueFromUtf8(def.field, utf8);
        if (!value) {
            const Error& e = value.error();
            if (!e.is(ErrorCategory::Format, kErrNotLatin1) && !e.is(ErrorCategory::Format, kErrFieldTooLong))
                std::abort();
            if (e.args().empty() || e.args().front() != def.name) std::abort();
            continue;
        }
        const std::string& latin1 = value.value();
        if (latin1.size() > def.where.width || text::latin1ToUtf8(latin1) != utf8) std::abort();
        if (!doc.value().setText(def.field, latin1)) std::abort();
    }
    doc.value().applyEdits();
    if (doc.value().image().size() != kHeaderMinLength) std::abort();
    return 0;
}
