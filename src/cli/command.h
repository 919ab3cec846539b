#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <string>
#include <string_view>

namespace vantorel::cli {

// Exit codes shared by every subcommand.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// What a command does once its arguments are parsed; gives the exit status.
using CommandRun = std::function<int()>;

// Declares a command's arguments and help on `app`, whose name is "vantorel-cli COMMAND",
// and gives back its run, which reads what the parse stored. The app outlives the run.
using CommandSetup = CommandRun (*)(CLI::App& app);

// The help of a command in the order a reader wants it: the synopsis, what the command
// does, the arguments and options CLI11 lists, then `footer` (output and exit status).
void describeCommand(CLI::App& app, std::string synopsis, std::string description, std::string footer);

// "vantorel-cli COMMAND: message" and the --help hint on standard error; gives kExitUsage.
int usageError(const CLI::App& app, std::string_view message);
// "vantorel-cli COMMAND: message" on standard error, after what standard output holds so far.
void reportFailure(const CLI::App& app, std::string_view message);

// A parse that stopped: the help when it was asked for, else a usage error. Gives the exit
// status, since CLI11's own codes are not ours.
int parseStopped(const CLI::App& app, const CLI::ParseError& stop);

// For options naming a file or folder: CLI11 takes "" as a value, no file has that name.
CLI::Validator nonEmptyName();

// Text of the language file in use for the CLI (English.idi from the language folder).
std::string englishMessage(std::string_view key);

}  // namespace vantorel::cli
