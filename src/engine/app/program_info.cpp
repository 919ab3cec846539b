#include "engine/app/program_info.h"

#include "vantorel/version.h"

namespace vantorel::app {

std::string versionLine() {
    return std::string("vantorel ") + kVersionText + "\n";
}

std::string usageText() {
    return "Usage: vantorel [/c | /p | /h [ROM] | /l [ROM]]\n"
           "Sega Genesis / Mega Drive cartridge tools: SMD/BIN converter, header editor,\n"
           "IPS patcher and emulator launcher.\n"
           "\n"
           "  /c          open the SMD/BIN converter\n"
           "  /p          open the IPS patcher\n"
           "  /h [ROM]    open the header editor, loading ROM when given\n"
           "  /l [ROM]    open the emulator launcher with ROM filled in\n"
           "  --help      show this text and exit\n"
           "  --version   show the version and exit\n"
           "\n"
           "Switches are case-insensitive. A path with blanks may be quoted or not.\n"
           "Only one copy runs at a time.\n";
}

std::optional<std::string> infoOptionText(const std::vector<std::string_view>& arguments) {
    for (std::string_view a : arguments) {
        if (a == "--help") return usageText();
        if (a == "--version") return versionLine();
    }
    return std::nullopt;
}

}  // namespace vantorel::app
