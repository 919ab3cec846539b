// vantorel-cli patch: apply an IPS patch to an image, optionally appending an extra chunk.
#include <iostream>
#include <memory>
#include <string>

#include "cli/command.h"
#include "engine/patch/ips.h"

namespace vantorel::cli {
namespace {

struct Options {
    std::string rom;
    std::string patch;
    std::string output;
    std::string append;
};

int run(const CLI::App& app, const Options& o, bool appending) {
    patch::PatchJob job;
    job.rom = o.rom;
    job.ips = o.patch;
    job.output = o.output;
    if (appending) job.extraChunk = o.append;
    job.invalidText = englishMessage("InvalidIPS");
    if (job.invalidText.empty()) job.invalidText = patch::kDefaultInvalidIpsText;

    auto written = patch::PatchFiles(job);
    if (!written) {
        // File errors name their file already; patch errors get the patch's name.
        const int number = written.error().number();
        const bool aboutPatch = number == patch::kInvalidIpsError || number == patch::kDamagedIpsError;
        reportFailure(app, (aboutPatch ? o.patch + ": " : std::string()) + written.error().description());
        return kExitFailure;
    }
    std::cout << o.output << '\n';
    return kExitOk;
}

}  // namespace

CommandRun setupPatch(CLI::App& app) {
    auto o = std::make_shared<Options>();
    describeCommand(
        app, "vantorel-cli patch ROM PATCH -o OUT [--append FILE]",
        "Applies the IPS patch PATCH to the image ROM and writes the result to OUT (which may be\n"
        "ROM itself), then prints OUT. The file is replaced in one step: on failure OUT is not\n"
        "created, or keeps its previous content.",
        "'--' ends the options: every later argument is ROM or PATCH, even '--help'.\n"
        "Exit status: 0 patched, 1 a file cannot be read or written or PATCH is not a valid IPS\n"
        "patch, 2 usage error.");
    app.add_option("ROM", o->rom, "the image to patch")->required()->type_name("");
    app.add_option("PATCH", o->patch, "the IPS patch")->required()->type_name("");
    app.add_option("-o,--output", o->output, "the file to write")
        ->type_name("OUT")
        ->required()
        ->check(nonEmptyName());
    CLI::Option* append =
        app.add_option("--append", o->append, "append FILE whole to the patched image (the extra chunk)")
            ->type_name("FILE")
            ->check(nonEmptyName());
    return [&app, o, append] { return run(app, *o, append->count() > 0); };
}

}  // namespace vantorel::cli
