// vantorel-cli checksum: verify the header checksum of images, and correct it on request.
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "engine/rom/header_document.h"

namespace vantorel::cli {
namespace {

struct Options {
    std::vector<std::string> files;
    bool fix = false;
};

std::string hex4(std::uint16_t v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", v);
    return buf;
}

// True when the file's checksum matches at the end.
bool checkOne(const CLI::App& app, const std::string& file, bool fix) {
    auto fileError = [&](const Error& e) {
        reportFailure(app, file + ": " + e.description());
        return false;
    };
    auto doc = rom::HeaderDocument::load(file);
    if (!doc) return fileError(doc.error());
    const rom::ChecksumPair pair = doc.value().checksum();
    std::cout << file << ": stored " << hex4(pair.stored()) << " computed " << hex4(pair.computed())
              << (pair.matches() ? " OK" : " BAD") << '\n';
    if (pair.matches()) return true;
    if (!fix) return false;
    doc.value().fixChecksum();
    if (auto w = doc.value().save(); !w) return fileError(w.error());
    std::cout << file << ": fixed\n";
    return true;
}

}  // namespace

CommandRun setupChecksum(CLI::App& app) {
    auto o = std::make_shared<Options>();
    describeCommand(app, "vantorel-cli checksum FILE... [--fix]",
                    "Compares the checksum stored at 0x18E of each image with the sum of its words from\n"
                    "0x200 to the end, printing 'FILE: stored XXXX computed YYYY OK' or '... BAD' on\n"
                    "standard output.",
                    "'--' ends the options: every later argument is a FILE, even '--help'.\n"
                    "Exit status: 0 every checksum matches (or was fixed), 1 a checksum differs or a file\n"
                    "cannot be read, is too short or cannot be written, 2 usage error.");
    app.add_option("FILE", o->files, "the images to check")->required()->type_name("");
    app.add_flag("--fix", o->fix,
                 "write the computed value at 0x18E-0x18F of the files that differ,\n"
                 "changing no other byte, and print 'FILE: fixed'");
    return [&app, o] {
        bool allGood = true;
        for (const std::string& f : o->files) allGood = checkOne(app, f, o->fix) && allGood;
        return allGood ? kExitOk : kExitFailure;
    };
}

}  // namespace vantorel::cli
