#include "cli/command.h"

#include <iostream>
#include <memory>

#include "engine/common/ini.h"
#include "engine/common/paths.h"

namespace vantorel::cli {
namespace {

class HelpFormatter : public CLI::Formatter {
public:
    explicit HelpFormatter(std::string synopsis) : synopsis_(std::move(synopsis)) {
        label("Positionals", "Arguments");
        column_width(24);
    }

    std::string make_usage(const CLI::App*, std::string) const override {
        return "Usage: " + synopsis_ + "\n";
    }

    // A footer made by a callback gets a line break appended; one is enough.
    std::string make_footer(const CLI::App* app) const override {
        std::string footer = app->get_footer();
        while (!footer.empty() && footer.back() == '\n') footer.pop_back();
        return footer.empty() ? footer : footer + '\n';
    }

    // CLI11 puts the description before the usage line, and prints no footer for an
    // empty one without a blank line; this keeps the synopsis on top.
    std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override {
        std::string out = make_usage(app, name) + make_description(app) + make_positionals(app) +
                          make_groups(app, mode) + make_subcommands(app, mode);
        const std::string footer = make_footer(app);
        if (!footer.empty()) out += '\n' + footer;
        return out;
    }

private:
    std::string synopsis_;
};

}  // namespace

void describeCommand(CLI::App& app, std::string synopsis, std::string description, std::string footer) {
    app.formatter(std::make_shared<HelpFormatter>(std::move(synopsis)));
    app.description(std::move(description));
    app.footer(std::move(footer));
    app.set_help_flag("-h,--help", "show this help");
}

int usageError(const CLI::App& app, std::string_view message) {
    std::cerr << app.get_name() << ": " << message << "\nTry '" << app.get_name() << " --help'.\n";
    return kExitUsage;
}

void reportFailure(const CLI::App& app, std::string_view message) {
    std::cout.flush();
    std::cerr << app.get_name() << ": " << message << '\n';
}

int parseStopped(const CLI::App& app, const CLI::ParseError& stop) {
    if (dynamic_cast<const CLI::CallForHelp*>(&stop) || dynamic_cast<const CLI::CallForAllHelp*>(&stop)) {
        std::cout << app.help();
        return kExitOk;
    }
    return usageError(app, stop.what());
}

CLI::Validator nonEmptyName() {
    return CLI::Validator([](std::string& value) { return value.empty() ? "needs a name, not \"\"" : ""; },
                          "");
}

std::string englishMessage(std::string_view key) {
    return ReadIniValue(paths::languageFolder() / "English.idi", "Msgs", key);
}

}  // namespace vantorel::cli
