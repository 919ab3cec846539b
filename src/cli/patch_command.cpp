// vantorel-cli patch: apply an IPS patch to an image, optionally appending an extra chunk.
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "cli/command.h"
#include "cli/image_input.h"
#include "engine/convert/smd.h"
#include "engine/patch/ips.h"

namespace vantorel::cli {
namespace {

struct Options {
    std::string rom;
    std::string patch;
    std::string output;
    std::string append;
    EntryOption entry;
};

// The file layer patches plain files; an image taken from an archive goes through the same
// steps here, and its result is written to a file of its own.
Result<std::size_t> patchImage(rom::LoadedImage loaded, const patch::PatchJob& job) {
    Bytes& image = loaded.data;
    if (image.empty()) {
        const std::string label = imageLabel(loaded);
        return Error(ErrorCategory::Patch, patch::kEmptyFileError, "vantorel-cli patch",
                     label + ": the file is empty.", {label});
    }
    auto ips = patch::LoadIpsFile(job.ips);
    if (!ips) return ips.error();
    if (auto done = patch::DoPatch(image, ips.value(), job.invalidText, job.progress); !done)
        return done.error();
    if (job.extraChunk) {
        auto chunk = patch::LoadExtraChunk(*job.extraChunk);
        if (!chunk) return chunk.error();
        patch::AppendExtraChunk(image, chunk.value());
    }
    if (auto saved = patch::SavePatchedImage(job.output, image); !saved) return saved.error();
    return image.size();
}

int run(const CLI::App& app, const Options& o, bool appending) {
    patch::PatchJob job;
    job.rom = o.rom;
    job.ips = o.patch;
    job.output = o.output;
    if (appending) job.extraChunk = o.append;
    job.invalidText = englishMessage("InvalidIPS");
    if (job.invalidText.empty()) job.invalidText = patch::kDefaultInvalidIpsText;

    Result<std::size_t> written = std::size_t{0};
    if (rom::isArchiveFile(o.rom)) {
        // Replacing the archive with one patched image would lose everything else it holds.
        if (convert::sameFile(o.output, o.rom)) {
            reportFailure(app, o.output +
                                   ": is the archive ROM comes from, and would be replaced by the image "
                                   "alone; name another file");
            return kExitFailure;
        }
        auto loaded = rom::loadImage(o.rom, o.entry.chosen());
        if (!loaded) {
            reportFailure(app, readFailure(o.rom, loaded.error()));
            return kExitFailure;
        }
        written = patchImage(std::move(loaded).value(), job);
    } else {
        written = patch::PatchFiles(job);
    }
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
        app, "vantorel-cli patch ROM PATCH -o OUT [--append FILE] [--entry NAME]",
        "Applies the IPS patch PATCH to the image ROM and writes the result to OUT (which may be\n"
        "ROM itself), then prints OUT. The file is replaced in one step: on failure OUT is not\n"
        "created, or keeps its previous content. ROM may be a .zip, .7z or .gz archive: its\n"
        "image is patched and OUT receives the plain result; OUT may then not be the archive.",
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
    addEntryOption(app, o->entry, false);
    return [&app, o, append] { return run(app, *o, append->count() > 0); };
}

}  // namespace vantorel::cli
