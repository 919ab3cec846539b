// vantorel-cli: the engines without a window. Each command lives in its own file; the
// table below names them all, so a command that is not built fails at link time.
#include <algorithm>
#include <array>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "vantorel/version.h"

namespace vantorel::cli {

CommandRun setupBin2Smd(CLI::App& app);
CommandRun setupChecksum(CLI::App& app);
CommandRun setupHeader(CLI::App& app);
CommandRun setupInfo(CLI::App& app);
CommandRun setupMakePatch(CLI::App& app);
CommandRun setupPatch(CLI::App& app);
CommandRun setupPatchInfo(CLI::App& app);
CommandRun setupSmd2Bin(CLI::App& app);

namespace {

struct CommandEntry {
    std::string_view name;
    std::string_view summary;  // its line in the program's help
    CommandSetup setup;
};

// In the order the help lists them.
constexpr std::array kCommands = {
    CommandEntry{"bin2smd", "convert BIN images to SMD files", &setupBin2Smd},
    CommandEntry{"checksum", "verify or correct the header checksum of images", &setupChecksum},
    CommandEntry{"header", "show or edit the cartridge header of an image", &setupHeader},
    CommandEntry{"info", "identify images: size, layout, CRC32, MD5, SHA-1, checksum, ROM range", &setupInfo},
    CommandEntry{"makepatch", "make an IPS or BPS patch from an original and a modified image",
                 &setupMakePatch},
    CommandEntry{"patch", "apply an IPS, BPS or UPS patch to an image", &setupPatch},
    CommandEntry{"patchinfo", "check a patch and show its format, sizes, CRC32s and counts", &setupPatchInfo},
    CommandEntry{"smd2bin", "convert SMD files to BIN images", &setupSmd2Bin},
};

constexpr std::string_view kProgram = "vantorel-cli";

const CommandEntry* findCommand(std::string_view name) {
    const auto it = std::find_if(kCommands.begin(), kCommands.end(),
                                 [name](const CommandEntry& c) { return c.name == name; });
    return it == kCommands.end() ? nullptr : &*it;
}

// The program's own help ends with the list of commands and then each command's help, so
// one page tells everything.
std::string commandsHelp() {
    std::string out = "Commands:\n";
    for (const CommandEntry& c : kCommands) {
        std::string line = "  " + std::string(c.name);
        line.resize(std::max<std::size_t>(line.size() + 1, 12), ' ');
        out += line + std::string(c.summary) + '\n';
    }
    for (const CommandEntry& c : kCommands) {
        CLI::App app{"", std::string(kProgram) + " " + std::string(c.name)};
        (void)c.setup(app);
        out += '\n' + app.help();
    }
    return out;
}

int runCommand(const CommandEntry& command, std::vector<std::string> args) {
    CLI::App app{"", std::string(kProgram) + " " + std::string(command.name)};
    const CommandRun run = command.setup(app);
    // Each command parses on its own rather than as a CLI11 subcommand: there "--" after
    // the first file, or a file named "++", would hand the rest back to the program.
    std::reverse(args.begin(), args.end());
    try {
        app.parse(args);
    } catch (const CLI::ParseError& stop) {
        return parseStopped(app, stop);
    }
    return run();
}

}  // namespace
}  // namespace vantorel::cli

int main(int argc, char** argv) {
    using namespace vantorel::cli;
    CLI::App app{"", std::string(kProgram)};
    describeCommand(app, std::string(kProgram) + " [--help | --version] COMMAND [ARGS...]",
                    "Headless tools for Sega Genesis / Mega Drive cartridge images.\n"
                    "COMMAND --help shows the help of one command.",
                    "");
    app.footer(&commandsHelp);
    app.set_version_flag("-V,--version", std::string(kProgram) + " " + vantorel::kVersionText,
                         "show the version");
    // Everything from the command's name on belongs to the command.
    app.prefix_command();
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForVersion& version) {
        std::cout << version.what() << '\n';
        return kExitOk;
    } catch (const CLI::ParseError& stop) {
        return parseStopped(app, stop);
    }

    std::vector<std::string> rest = app.remaining();
    if (rest.empty()) {
        std::cerr << app.help();
        return kExitUsage;
    }
    const std::string name = rest.front();
    rest.erase(rest.begin());
    if (name == "help") {
        std::cout << app.help();
        return kExitOk;
    }
    if (const CommandEntry* command = findCommand(name)) return runCommand(*command, std::move(rest));
    return usageError(app, (name.starts_with('-') ? "unknown option '" : "unknown command '") + name + "'");
}
