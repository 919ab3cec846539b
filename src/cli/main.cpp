#include <algorithm>
#include <iostream>

#include "cli/command.h"
#include "engine/common/ini.h"
#include "engine/common/paths.h"
#include "vantorel/version.h"

namespace vantorel::cli {

std::vector<Command>& registry() {
    static std::vector<Command> r;
    return r;
}

bool registerCommand(const Command& command) {
    registry().push_back(command);
    return true;
}

const std::vector<Command>& commands() {
    auto& r = registry();
    std::sort(r.begin(), r.end(), [](const Command& a, const Command& b) { return a.name < b.name; });
    return r;
}

std::string englishMessage(std::string_view key) {
    return ReadIniValue(paths::languageFolder() / "English.idi", "Msgs", key);
}

}  // namespace vantorel::cli

namespace {

void printHelp(std::ostream& out) {
    out << "Usage: vantorel-cli COMMAND [ARGS...]\n"
           "Headless tools for Sega Genesis / Mega Drive cartridge images.\n\n"
           "Commands:\n";
    for (const auto& c : vantorel::cli::commands()) {
        out << "  " << c.name;
        for (std::size_t i = c.name.size(); i < 10; ++i) out << ' ';
        out << c.summary << '\n';
    }
    out << "\nOptions:\n"
           "  --help       show this help, or COMMAND --help for one command\n"
           "  --version    show the version\n";
    for (const auto& c : vantorel::cli::commands()) out << '\n' << c.usage;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        printHelp(std::cerr);
        return vantorel::cli::kExitUsage;
    }
    const std::string& first = args.front();
    if (first == "--help" || first == "-h" || first == "help") {
        printHelp(std::cout);
        return vantorel::cli::kExitOk;
    }
    if (first == "--version" || first == "-V") {
        std::cout << "vantorel-cli " << vantorel::kVersionText << '\n';
        return vantorel::cli::kExitOk;
    }
    for (const auto& c : vantorel::cli::commands()) {
        if (c.name == first) {
            std::vector<std::string> rest(args.begin() + 1, args.end());
            if (std::find(rest.begin(), rest.end(), "--help") != rest.end()) {
                std::cout << c.usage;
                return vantorel::cli::kExitOk;
            }
            return c.run(rest);
        }
    }
    std::cerr << "vantorel-cli: unknown command '" << first << "'\nTry 'vantorel-cli --help'.\n";
    return vantorel::cli::kExitUsage;
}
