// smd2bin and bin2smd: the conversion window's batch, for scripts.
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/image_input.h"
#include "engine/convert/naming.h"
#include "engine/convert/smd.h"

namespace vantorel::cli {
namespace {

using BytesConverter = Result<std::span<const std::uint8_t>> (*)(std::span<const std::uint8_t>, Bytes&,
                                                                 const ProgressFn&);

struct Direction {
    const char* name;
    const char* extension;
    Result<void> (*convert)(const std::filesystem::path&, const std::filesystem::path&, const ProgressFn&,
                            convert::ConvertBuffers*, const std::optional<std::string>&);
    BytesConverter convertBytes;  // for an image taken out of an archive
};

constexpr Direction kToBin{"smd2bin", ".bin", &convert::SMD2Bin, &convert::smdToBin};
constexpr Direction kToSmd{"bin2smd", ".smd", &convert::Bin2SMD, &convert::binToSmd};

// One line on standard error that redraws itself, only when it goes to a terminal.
class ProgressLine {
public:
    explicit ProgressLine(std::size_t files) : files_(files), enabled_(::isatty(STDERR_FILENO) == 1) {}

    void update(std::size_t fileIndex, std::int64_t done, std::int64_t total) {
        if (!enabled_ || files_ == 0) return;
        const double within = total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 0.0;
        const int permille = static_cast<int>((static_cast<double>(fileIndex) + within) * 1000.0 /
                                              static_cast<double>(files_));
        constexpr int kWidth = 30;
        const int filled = permille * kWidth / 1000;
        std::string bar = "\r[" + std::string(static_cast<std::size_t>(filled), '#') +
                          std::string(static_cast<std::size_t>(kWidth - filled), '.') + "] ";
        bar += std::to_string(permille / 10) + "% " + std::to_string(fileIndex + 1) + "/" +
               std::to_string(files_);
        if (drawn_ && bar == shown_) return;
        shown_ = bar;
        std::fputs(bar.c_str(), stderr);
        std::fflush(stderr);
        drawn_ = true;
    }

    // Clears the line so the next output starts at the left margin.
    void clear() {
        if (!drawn_) return;
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        drawn_ = false;
    }

private:
    std::size_t files_;
    bool enabled_;
    bool drawn_ = false;
    std::string shown_;
};

struct Options {
    std::vector<std::string> files;
    std::string folder;  // -d
    std::string output;  // -o
    EntryOption entry;
};

// The file layer converts plain files; an archive's entry is read here, since which entry
// to take is the command line's choice.
Result<void> convertEntry(const Direction& d, const convert::BatchEntry& job, const std::string& entry,
                          const ProgressFn& progress, convert::ConvertBuffers& buffers) {
    if (convert::sameFile(job.source, job.destination))
        return Error(ErrorCategory::Format, convert::kErrSameFile, d.name,
                     "the destination is the archive the image comes from");
    auto loaded = rom::loadImage(job.source, entry);
    if (!loaded) return loaded.error();
    auto out = d.convertBytes(loaded.value().data, buffers.output, progress);
    if (!out) return out.error();
    return writeFileAtomically(job.destination, out.value(), Flush::No);
}

int convertBatch(const CLI::App& app, const Direction& d, const Options& o, bool hasOutput) {
    if (hasOutput && o.files.size() != 1)
        return usageError(app, "-o names the output of a single input file");

    int failures = 0;
    std::vector<convert::BatchEntry> batch;
    std::vector<std::optional<std::string>> entries;  // the entry each source is read from
    for (const std::string& source : o.files) {
        // The output of an archive is named after its entry, so the entry is found first:
        // the batch's clash check must see the names that will be written.
        auto entry = entryToRead(source, o.entry.chosen());
        if (!entry) {
            reportFailure(app, readFailure(source, entry.error()));
            ++failures;
            continue;
        }
        std::string destination =
            hasOutput       ? o.output
            : entry.value() ? convert::destinationForArchiveEntry(source, *entry.value(), d.extension)
                            : convert::destinationFor(source, d.extension);
        if (!o.folder.empty()) destination = convert::destinationInFolder(destination, o.folder);
        batch.push_back({source, destination});
        entries.push_back(std::move(entry).value());
    }
    // Refused before anything is written: a batch that loses an output, or writes over a
    // file it has still to read, is a mistake to fix, not one to half carry out.
    const std::vector<convert::BatchClash> clashes = convert::findBatchClashes(batch);
    for (const convert::BatchClash& clash : clashes)
        reportFailure(app, printable(convert::batchClashError(clash, batch).description()));
    if (!clashes.empty()) return kExitFailure;

    ProgressLine bar(batch.size());
    convert::ConvertBuffers buffers;
    for (std::size_t i = 0; i < batch.size(); ++i) {
        const convert::BatchEntry& job = batch[i];
        bar.update(i, 0, 1);
        const ProgressFn progress = [&](std::int64_t done, std::int64_t total) {
            bar.update(i, done, total);
            return true;
        };
        auto result = entries[i] ? convertEntry(d, job, *entries[i], progress, buffers)
                                 : d.convert(job.source, job.destination, progress, &buffers, std::nullopt);
        bar.clear();
        if (result) {
            std::cout << job.destination.string() << '\n';
        } else {
            reportFailure(app, imageLabel(job.source, entries[i]) + " -> " +
                                   printable(job.destination.string()) + ": " +
                                   printable(result.error().description()));
            ++failures;
        }
    }
    std::cout.flush();
    return failures == 0 ? kExitOk : kExitFailure;
}

CommandRun setupConversion(CLI::App& app, const Direction& d, std::string description) {
    auto o = std::make_shared<Options>();
    describeCommand(app, "vantorel-cli " + std::string(d.name) + " [-d DIR | -o OUT] [--entry NAME] FILE...",
                    std::move(description) +
                        "\nA FILE may be a .zip, .7z or .gz archive: its image is converted and the output\n"
                        "sits beside the archive, named after the entry (its folders inside the archive\n"
                        "dropped, its extension replaced).",
                    "'--' ends the options: every later argument is a FILE, even '--help'.\n"
                    "Prints the path of each output; failures go to standard error with their reason.\n"
                    "An archive holding several images is refused with their names unless --entry\n"
                    "names one; the others are still converted.\n"
                    "Two FILEs whose outputs would be one file, or an output that would replace another\n"
                    "FILE, are refused before anything is written.\n"
                    "Exit status: 0 when every file converted, 1 when any failed, 2 on a usage error.");
    app.add_option("FILE", o->files, "the files to convert")->required()->type_name("");
    CLI::Option* folder = app.add_option("-d,--dir", o->folder, "write the outputs into DIR instead")
                              ->type_name("DIR")
                              ->check(nonEmptyName());
    CLI::Option* output = app.add_option("-o,--output", o->output, "name the output of a single FILE")
                              ->type_name("OUT")
                              ->check(nonEmptyName())
                              ->excludes(folder);
    addEntryOption(app, o->entry, true);
    return [&app, &d, o, output] { return convertBatch(app, d, *o, output->count() > 0); };
}

}  // namespace

CommandRun setupSmd2Bin(CLI::App& app) {
    return setupConversion(
        app, kToBin,
        "Converts each SMD copier file to a plain BIN image. The output sits beside its source,\n"
        "named like it with the last four characters (the \".smd\") replaced by \".bin\".");
}

CommandRun setupBin2Smd(CLI::App& app) {
    return setupConversion(
        app, kToSmd,
        "Converts each plain BIN image to an SMD copier file, zero-padding the last block.\n"
        "The output sits beside its source, named like it with the last four characters\n"
        "(the \".bin\") replaced by \".smd\".");
}

}  // namespace vantorel::cli
