// The program's argument text comes from whoever starts it: any bytes must parse, the
// switch is at most two characters with no capitals, and the path is a piece of the text.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/app/command_line.h"
#include "engine/common/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const vantorel::app::Command cmd = vantorel::app::ParseCommand(text);

    if (vantorel::text::utf8Length(cmd.switchText) > 2) std::abort();
    for (char c : cmd.switchText)
        if (c >= 'A' && c <= 'Z') std::abort();
    if (text.find(cmd.path) == std::string_view::npos) std::abort();
    if (size <= 3 && !cmd.path.empty()) std::abort();
    return 0;
}
