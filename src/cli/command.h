#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantorel::cli {

// Exit codes shared by every subcommand.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct Command {
    std::string_view name;
    std::string_view summary;  // one line for the overview
    std::string_view usage;    // full help text of the subcommand
    int (*run)(const std::vector<std::string>& args);
};

// Each subcommand file registers itself at start-up.
bool registerCommand(const Command& command);
const std::vector<Command>& commands();

// Text of the language file in use for the CLI (English.idi from the language folder).
std::string englishMessage(std::string_view key);

}  // namespace vantorel::cli
