// vantorel-cli patch: apply an IPS, BPS or UPS patch to an image, optionally appending an
// extra chunk.
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "cli/command.h"
#include "cli/image_input.h"
#include "cli/patch_support.h"
#include "engine/archive/archive_reader.h"
#include "engine/convert/smd.h"
#include "engine/patch/patch_format.h"

namespace vantorel::cli {
namespace {

struct Options {
    std::string rom;
    std::string patch;
    std::string output;
    std::string append;
    bool ignoreChecksum = false;
    EntryOption entry;
};

bool isAboutPatch(int number) {
    using namespace patch;
    return number == kInvalidIpsError || number == kDamagedIpsError || number == kUnknownPatchError ||
           (number >= kNotBpsError && number <= kMalformedPatchError) || number == kTargetChecksumError ||
           number == kResultTooLargeError;
}

bool isAboutImage(int number) {
    return number == patch::kWrongImageError || number == patch::kSmdHeaderImageError ||
           number == patch::kSmdLayoutImageError;
}

// Patch failures are told with the file they are about; file failures name theirs already.
std::string failureText(const Options& o, const std::optional<std::string>& entry, const Error& e) {
    if (e.is(ErrorCategory::Archive, archive::archive_error::kSeveralImages)) return readFailure(o.rom, e);
    if (e.category() != ErrorCategory::Patch) return printable(e.description());
    if (e.number() == patch::kUnknownPatchError) return o.patch + ": " + invalidPatchText();
    if (isAboutPatch(e.number())) return o.patch + ": " + e.description();
    if (isAboutImage(e.number())) return imageLabel(o.rom, entry) + ": " + e.description();
    return printable(e.description());
}

// Whether `output` names an input that writing it would lose. ROM itself may be replaced
// when it is a plain image: that is patching in place.
std::optional<std::string> lostInput(const Options& o, bool appending, bool romIsArchive) {
    if (romIsArchive && convert::sameFile(o.output, o.rom))
        return o.output +
               ": is the archive ROM comes from, and would be replaced by the image alone; "
               "name another file";
    if (convert::sameFile(o.output, o.patch))
        return o.output + ": is PATCH itself, and would be replaced by the patched image; name another file";
    if (appending && convert::sameFile(o.output, o.append))
        return o.output + ": is the file --append adds, and would be replaced; name another file";
    return std::nullopt;
}

int run(const CLI::App& app, const Options& o, bool appending) {
    const bool romIsArchive = rom::isArchiveFile(o.rom);
    if (auto lost = lostInput(o, appending, romIsArchive)) {
        reportFailure(app, *lost);
        return kExitFailure;
    }
    patch::ApplyFilesJob job;
    job.rom = o.rom;
    // --entry serves archives only; a plain image is read as it is, as other commands do.
    if (romIsArchive) job.romEntry = o.entry.chosen();
    job.patch = o.patch;
    job.output = o.output;
    if (appending) job.extraChunk = o.append;
    job.options.ignoreChecksum = o.ignoreChecksum;
    job.options.invalidIpsText = invalidPatchText();

    auto done = patch::applyPatchFiles(job);
    if (!done) {
        reportFailure(app, failureText(o, job.romEntry, done.error()));
        return kExitFailure;
    }
    const patch::AppliedFile& applied = done.value();
    std::cout << o.output << '\n';
    std::cout.flush();
    if (applied.warning)
        std::cerr << app.get_name() << ": warning: " << failureText(o, job.romEntry, *applied.warning)
                  << '\n';
    std::cerr << app.get_name() << ": applied " << patch::formatName(applied.format) << " patch"
              << (applied.reversed ? " in reverse (the original image back)" : "") << ", result CRC32 "
              << crc32Lower(applied.resultCrc32) << '\n';
    return kExitOk;
}

}  // namespace

CommandRun setupPatch(CLI::App& app) {
    auto o = std::make_shared<Options>();
    describeCommand(
        app, "vantorel-cli patch ROM PATCH -o OUT [--append FILE] [--entry NAME] [--ignore-checksum]",
        "Applies the IPS, BPS or UPS patch PATCH to the image ROM and writes the result to OUT\n"
        "(which may be ROM itself), then prints OUT. The format is read from PATCH's first bytes,\n"
        "never from its name. BPS and UPS patches check the image and the result by CRC32 and\n"
        "size; a UPS patch applied to its own result gives the original back. The file is\n"
        "replaced in one step: on failure OUT is not created, or keeps its previous content.\n"
        "ROM may be a .zip, .7z or .gz archive: its image is patched and OUT receives the plain\n"
        "result; OUT may then not be the archive. OUT may not be PATCH or the --append FILE.",
        "'--' ends the options: every later argument is ROM or PATCH, even '--help'.\n"
        "Output: OUT alone on standard output; on standard error the line\n"
        "'vantorel-cli patch: applied FORMAT patch, result CRC32 xxxxxxxx' (with ' in reverse\n"
        "(the original image back)' after 'patch' when a UPS patch was undone), after a\n"
        "'warning:' line when --ignore-checksum let a mismatch through.\n"
        "Exit status: 0 patched, 1 a file cannot be read or written, PATCH is not a valid patch\n"
        "or is damaged, or was made for another image (its expected and actual CRC32 and size\n"
        "are given), 2 usage error.");
    app.add_option("ROM", o->rom, "the image to patch")->required()->type_name("");
    app.add_option("PATCH", o->patch, "the IPS, BPS or UPS patch")->required()->type_name("");
    app.add_option("-o,--output", o->output, "the file to write")
        ->type_name("OUT")
        ->required()
        ->check(nonEmptyName());
    CLI::Option* append =
        app.add_option("--append", o->append, "append FILE whole to the patched image (the extra chunk)")
            ->type_name("FILE")
            ->check(nonEmptyName());
    addEntryOption(app, o->entry, false);
    app.add_flag("--ignore-checksum", o->ignoreChecksum,
                 "apply a BPS or UPS patch to an image other than the one it was\n"
                 "made for, with a warning (a damaged patch is still refused)");
    return [&app, o, append] { return run(app, *o, append->count() > 0); };
}

}  // namespace vantorel::cli
