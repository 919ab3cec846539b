// vantorel-cli makepatch: an IPS or BPS patch from an original image and its modified copy.
#include <algorithm>
#include <cctype>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "cli/command.h"
#include "cli/image_input.h"
#include "cli/patch_support.h"
#include "engine/convert/smd.h"
#include "engine/patch/make_patch.h"
#include "engine/patch/patch_format.h"

namespace vantorel::cli {
namespace {

struct Options {
    std::string original;
    std::string modified;
    std::string output;
    std::string format;
    EntryOption entry;
};

// --format when given, else the extension of PATCH in any case.
std::optional<patch::PatchFormat> chosenFormat(const Options& o) {
    std::string name = o.format;
    if (name.empty()) {
        name = std::filesystem::path(o.output).extension().string();
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (!name.empty()) name.erase(0, 1);
    }
    if (name == "ips") return patch::PatchFormat::Ips;
    if (name == "bps") return patch::PatchFormat::Bps;
    return std::nullopt;
}

// "65024 bytes (63.5 KiB)"; the part in brackets only from 1 KiB on.
std::string sizeLine(std::size_t bytes) {
    std::string line = std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    if (bytes >= 1024) line += " (" + patch::sizeText(bytes) + ")";
    return line;
}

int run(const CLI::App& app, const Options& o) {
    const auto format = chosenFormat(o);
    if (!format)
        return usageError(app, "cannot tell the format of '" + o.output +
                                   "': name it .ips or .bps, or give --format ips|bps");
    // Writing over an input would lose it, and with it the very difference the patch holds.
    for (const std::string& input : {o.original, o.modified}) {
        if (convert::sameFile(o.output, input)) {
            reportFailure(app, o.output + ": is " + (input == o.original ? "ORIGINAL" : "MODIFIED") +
                                   " itself, and would be replaced by the patch; name another file");
            return kExitFailure;
        }
    }
    auto original = readImage(o.original, o.entry.chosen());
    if (!original) {
        reportFailure(app, readFailure(o.original, original.error()));
        return kExitFailure;
    }
    auto modified = readImage(o.modified, o.entry.chosen());
    if (!modified) {
        reportFailure(app, readFailure(o.modified, modified.error()));
        return kExitFailure;
    }
    const Bytes& before = original.value().data;
    const Bytes& after = modified.value().data;
    auto made =
        *format == patch::PatchFormat::Ips ? patch::makeIps(before, after) : patch::makeBps(before, after);
    if (!made) {
        reportFailure(app, imageLabel(modified.value()) + ": " + made.error().description());
        return kExitFailure;
    }
    if (auto written = writeFileAtomically(o.output, made.value()); !written) {
        reportFailure(app, fileFailure(o.output, written.error()));
        return kExitFailure;
    }
    std::cout << o.output << ": " << sizeLine(made.value().size()) << '\n';
    if (before == after) {
        std::cout.flush();
        std::cerr << app.get_name() << ": note: the images are the same; the patch changes nothing\n";
    }
    return kExitOk;
}

}  // namespace

CommandRun setupMakePatch(CLI::App& app) {
    auto o = std::make_shared<Options>();
    describeCommand(app,
                    "vantorel-cli makepatch ORIGINAL MODIFIED -o PATCH [--format ips|bps] [--entry NAME]",
                    "Writes to PATCH a patch that turns the image ORIGINAL into the image MODIFIED. The\n"
                    "format is --format, else PATCH's extension (.ips or .bps, in any case). BPS suits any\n"
                    "change and checks the images by CRC32 when applied; IPS cannot reach past 16 MiB and\n"
                    "has no checks. ORIGINAL and MODIFIED may be .zip, .7z or .gz archives. PATCH is\n"
                    "replaced in one step, and may not be ORIGINAL or MODIFIED.",
                    "'--' ends the options: every later argument is ORIGINAL or MODIFIED, even '--help'.\n"
                    "Output: 'PATCH: N bytes' on standard output, followed by ' (SIZE KiB)' or\n"
                    "' (SIZE MiB)' from 1 KiB on, e.g. 'hack.bps: 65024 bytes (63.5 KiB)'.\n"
                    "Exit status: 0 written, 1 a file cannot be read or written, PATCH names an input, or\n"
                    "the format cannot describe the change (the reason is given), 2 usage error (also when\n"
                    "neither --format nor PATCH's extension gives the format).");
    app.add_option("ORIGINAL", o->original, "the image before the change")->required()->type_name("");
    app.add_option("MODIFIED", o->modified, "the image after the change")->required()->type_name("");
    app.add_option("-o,--output", o->output, "the patch to write")
        ->type_name("PATCH")
        ->required()
        ->check(nonEmptyName());
    app.add_option("--format", o->format, "the patch format (default: from PATCH's extension)")
        ->type_name("ips|bps")
        ->check(CLI::IsMember({"ips", "bps"}));
    addEntryOption(app, o->entry, false);
    return [&app, o] { return run(app, *o); };
}

}  // namespace vantorel::cli
