// The key notation and the stored key string come from the settings file, which a user may
// edit by hand: any text must either parse or fail with a reason.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/common/error.h"
#include "engine/launcher/key_string.h"
#include "engine/launcher/send_keys.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantorel::launcher;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (auto parsed = parseSendKeys(text); !parsed && parsed.error().description().empty()) __builtin_trap();
    // Escaped text must always come back unchanged.
    const auto escaped = parseSendKeys(escapeForSendKeys(text));
    if (!escaped) __builtin_trap();
    const auto& actions = escaped.value();
    if (!text.empty() && (actions.size() != 1 || actions[0].value != text)) __builtin_trap();
    (void)parseSendKeys(keySequenceFor(readKeyString(text)));
    (void)ValidarParaSendKeys(text);
    (void)settingNumber(text);
    return 0;
}
