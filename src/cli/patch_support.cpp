#include "cli/patch_support.h"

#include "cli/command.h"
#include "cli/image_input.h"
#include "engine/patch/ips.h"
#include "engine/rom/digest.h"

namespace vantorel::cli {

std::string invalidPatchText() {
    std::string text = englishMessage("InvalidIPS");
    return text.empty() ? std::string(patch::kDefaultInvalidIpsText) : text;
}

std::string fileFailure(const std::filesystem::path& file, const Error& error) {
    const std::string reason = printable(error.description());
    return error.category() == ErrorCategory::System ? file.string() + ": " + reason : reason;
}

std::string crc32Lower(std::uint32_t crc) {
    return rom::crc32Hex(crc);
}

}  // namespace vantorel::cli
