// vantorel-cli checksum: verify the header checksum of images, and correct it on request.
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/image_input.h"
#include "engine/rom/header_document.h"
#include "engine/rom/identity.h"

namespace vantorel::cli {
namespace {

struct Options {
    std::vector<std::string> files;
    bool fix = false;
    EntryOption entry;
};

// True when the file's checksum matches at the end.
bool checkOne(const CLI::App& app, const std::string& file, const Options& o) {
    auto failed = [&](const std::string& message) {
        reportFailure(app, message);
        return false;
    };
    if (o.fix && rom::isArchiveFile(file))
        return failed(file +
                      ": --fix writes into the image, and an image inside an archive is never written; "
                      "check it without --fix, or extract it first");
    auto loaded = readImage(file, o.entry.chosen());
    if (!loaded) return failed(readFailure(file, loaded.error()));
    const std::string label = imageLabel(loaded.value());
    // An SMD file is checked as the image it holds: its own first bytes are the copier's.
    auto plain = plainImageOf(std::move(loaded).value());
    if (!plain) return failed(label + ": " + plain.error().description());
    const rom::Layout layout = plain.value().layout;
    auto doc = rom::HeaderDocument::fromImage(std::move(plain).value().bytes, file);
    if (!doc) return failed(label + ": " + doc.error().description());
    const rom::ChecksumPair pair = doc.value().checksum();
    std::cout << label << ": stored " << rom::checksumHex(pair.stored()) << " computed "
              << rom::checksumHex(pair.computed()) << (pair.matches() ? " OK" : " BAD") << '\n';
    if (pair.matches()) return true;
    if (!o.fix) return false;
    if (layout == rom::Layout::Smd)
        return failed(label +
                      ": --fix writes a plain image, and this file is in the SMD layout; convert it "
                      "with smd2bin, fix the BIN image, and convert it back");
    doc.value().fixChecksum();
    if (auto w = doc.value().save(); !w) return failed(file + ": " + w.error().description());
    std::cout << file << ": fixed\n";
    return true;
}

}  // namespace

CommandRun setupChecksum(CLI::App& app) {
    auto o = std::make_shared<Options>();
    describeCommand(app, "vantorel-cli checksum FILE... [--fix] [--entry NAME]",
                    "Compares the checksum stored at 0x18E of each image with the sum of its words from\n"
                    "0x200 to the end, printing 'FILE: stored XXXX computed YYYY OK' or '... BAD' on\n"
                    "standard output. A FILE may be a .zip, .7z or .gz archive: its image is checked and\n"
                    "named 'ARCHIVE(ENTRY)'. An SMD file is checked as the plain image it holds.",
                    "'--' ends the options: every later argument is a FILE, even '--help'.\n"
                    "An archive holding several images is refused with their names unless --entry\n"
                    "names one. --fix never writes into an archive: it refuses one before reading it,\n"
                    "and refuses an SMD file whose checksum differs.\n"
                    "Exit status: 0 every checksum matches (or was fixed), 1 a checksum differs or a file\n"
                    "cannot be read, is too short or cannot be written, 2 usage error.");
    app.add_option("FILE", o->files, "the images to check")->required()->type_name("");
    app.add_flag("--fix", o->fix,
                 "write the computed value at 0x18E-0x18F of the files that differ,\n"
                 "changing no other byte, and print 'FILE: fixed'");
    addEntryOption(app, o->entry, true);
    return [&app, o] {
        bool allGood = true;
        for (const std::string& f : o->files) allGood = checkOne(app, f, *o) && allGood;
        return allGood ? kExitOk : kExitFailure;
    };
}

}  // namespace vantorel::cli
