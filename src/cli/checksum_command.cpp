// vantorel-cli checksum: verify the header checksum of images, and correct it on request.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "engine/rom/checksum.h"
#include "engine/rom/header.h"
#include "engine/rom/rom_image.h"

namespace vantorel::cli {
namespace {

constexpr std::string_view kUsage =
    "Usage: vantorel-cli checksum FILE... [--fix]\n"
    "Compares the checksum stored at 0x18E of each image with the sum of its words from\n"
    "0x200 to the end, printing 'FILE: stored XXXX computed YYYY OK' or '... BAD'.\n"
    "  --fix    write the computed value at 0x18E-0x18F of the files that differ,\n"
    "           changing no other byte, and print 'FILE: fixed'\n"
    "Exit status: 0 every checksum matches (or was fixed), 1 a checksum differs or a file\n"
    "cannot be read, is too short or cannot be written, 2 usage error.\n";

std::string hex4(std::uint16_t v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", v);
    return buf;
}

bool fileError(const std::string& file, const std::string& reason) {
    std::cerr << "vantorel-cli checksum: " << file << ": " << reason << '\n';
    return false;
}

// True when the file's checksum matches at the end.
bool checkOne(const std::string& file, bool fix) {
    auto image = rom::LoadRomImage(file);
    if (!image) return fileError(file, image.error().description());
    if (auto fits = rom::checkHeaderFits(image.value().size()); !fits)
        return fileError(file, fits.error().description());
    const rom::ChecksumPair pair = rom::CalcChecksum(image.value());
    std::cout << file << ": stored " << hex4(pair.stored()) << " computed " << hex4(pair.computed())
              << (pair.matches() ? " OK" : " BAD") << '\n';
    if (pair.matches()) return true;
    if (!fix) return false;
    if (auto stored = rom::storeChecksum(image.value(), pair.computed()); !stored)
        return fileError(file, stored.error().description());
    if (auto w = rom::WriteRomImage(file, image.value()); !w) return fileError(file, w.error().description());
    std::cout << file << ": fixed\n";
    return true;
}

int run(const std::vector<std::string>& args) {
    bool fix = false;
    bool optionsEnded = false;
    std::vector<std::string> files;
    for (const std::string& a : args) {
        if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
            files.push_back(a);
        } else if (a == "--") {
            optionsEnded = true;
        } else if (a == "--fix") {
            fix = true;
        } else {
            std::cerr << "vantorel-cli checksum: unknown option '" << a
                      << "'\nTry 'vantorel-cli checksum --help'.\n";
            return kExitUsage;
        }
    }
    if (files.empty()) {
        std::cerr << "vantorel-cli checksum: no FILE given\nTry 'vantorel-cli checksum --help'.\n";
        return kExitUsage;
    }
    bool allGood = true;
    for (const std::string& f : files) allGood = checkOne(f, fix) && allGood;
    return allGood ? kExitOk : kExitFailure;
}

const bool registered =
    registerCommand({"checksum", "verify or correct the header checksum of images", kUsage, &run});

}  // namespace
}  // namespace vantorel::cli
