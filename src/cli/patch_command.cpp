// vantorel-cli patch: apply an IPS patch to an image, optionally appending an extra chunk.
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "engine/patch/ips.h"

namespace vantorel::cli {
namespace {

constexpr std::string_view kUsage =
    "Usage: vantorel-cli patch ROM PATCH -o OUT [--append FILE]\n"
    "Applies the IPS patch PATCH to the image ROM and writes the result to OUT (which may be\n"
    "ROM itself), then prints OUT. The file is replaced in one step: on failure OUT is not\n"
    "created, or keeps its previous content.\n"
    "  -o, --output OUT   the file to write\n"
    "  --append FILE      append FILE whole to the patched image (the extra chunk)\n"
    "Exit status: 0 patched, 1 a file cannot be read or written or PATCH is not a valid IPS\n"
    "patch, 2 usage error.\n";

int usage(const std::string& why) {
    std::cerr << "vantorel-cli patch: " << why << "\nTry 'vantorel-cli patch --help'.\n";
    return kExitUsage;
}

int run(const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    std::optional<std::string> output;
    std::optional<std::string> append;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        // Takes the next argument as the option's value; fails when repeated or missing.
        auto valueOf = [&](std::optional<std::string>& slot) {
            if (slot || i + 1 >= args.size()) return false;
            slot = args[++i];
            return true;
        };
        if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
            positional.push_back(a);
        } else if (a == "--") {
            optionsEnded = true;
        } else if (a == "-o" || a == "--output") {
            if (!valueOf(output))
                return usage(output ? "OUT given twice" : "option '" + a + "' needs a file");
        } else if (a.rfind("--output=", 0) == 0 && !output) {
            output = a.substr(9);
        } else if (a == "--append") {
            if (!valueOf(append))
                return usage(append ? "--append given twice" : "option '--append' needs a file");
        } else if (a.rfind("--append=", 0) == 0 && !append) {
            append = a.substr(9);
        } else {
            return usage("unknown or repeated option '" + a + "'");
        }
    }
    if (positional.size() != 2)
        return usage(positional.size() < 2 ? "ROM and PATCH are needed" : "too many files");
    if (!output || output->empty()) return usage("no output file (-o OUT)");
    if (append && append->empty()) return usage("empty file name after --append");

    patch::PatchJob job;
    job.rom = positional[0];
    job.ips = positional[1];
    job.output = *output;
    if (append) job.extraChunk = *append;
    job.invalidText = englishMessage("InvalidIPS");
    if (job.invalidText.empty()) job.invalidText = patch::kDefaultInvalidIpsText;

    auto written = patch::PatchFiles(job);
    if (!written) {
        // File errors name their file already; patch errors get the patch's name.
        const int number = written.error().number();
        const bool aboutPatch = number == patch::kInvalidIpsError || number == patch::kDamagedIpsError;
        std::cerr << "vantorel-cli patch: " << (aboutPatch ? positional[1] + ": " : std::string())
                  << written.error().description() << '\n';
        return kExitFailure;
    }
    std::cout << *output << '\n';
    return kExitOk;
}

const bool registered = registerCommand({"patch", "apply an IPS patch to an image", kUsage, &run});

}  // namespace
}  // namespace vantorel::cli
