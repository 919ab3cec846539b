// smd2bin and bin2smd: the conversion window's batch, for scripts.
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "engine/convert/naming.h"
#include "engine/convert/smd.h"

namespace vantorel::cli {
namespace {

struct Direction {
    const char* name;
    const char* extension;
    Result<void> (*convert)(const std::filesystem::path&, const std::filesystem::path&, const ProgressFn&,
                            convert::ConvertBuffers*);
};

constexpr Direction kToBin{"smd2bin", ".bin", &convert::SMD2Bin};
constexpr Direction kToSmd{"bin2smd", ".smd", &convert::Bin2SMD};

struct Options {
    std::vector<std::string> files;
    std::string folder;  // -d
    std::string output;  // -o
    bool hasFolder = false;
    bool hasOutput = false;
};

int usageError(const Direction& d, const std::string& text) {
    std::cerr << "vantorel-cli " << d.name << ": " << text << "\nTry 'vantorel-cli " << d.name
              << " --help'.\n";
    return kExitUsage;
}

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

// Accepts "-d DIR", "-dDIR", "--dir DIR" and "--dir=DIR" (and the same for -o).
bool takeValue(const std::vector<std::string>& args, std::size_t& i, const std::string& shortName,
               const std::string& longName, std::string& value, bool& missing) {
    const std::string& a = args[i];
    missing = false;
    if (a == shortName || a == longName) {
        if (i + 1 >= args.size()) {
            missing = true;
            return true;
        }
        value = args[++i];
        return true;
    }
    if (a.rfind(longName + "=", 0) == 0) {
        value = a.substr(longName.size() + 1);
        return true;
    }
    if (a.size() > shortName.size() && a.rfind(shortName, 0) == 0 && a[1] != '-') {
        value = a.substr(shortName.size());
        return true;
    }
    return false;
}

int run(const Direction& d, const std::vector<std::string>& args) {
    Options o;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            o.files.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        bool missing = false;
        if (takeValue(args, i, "-d", "--dir", o.folder, missing)) {
            if (missing || o.folder.empty()) return usageError(d, "option " + a + " needs a folder");
            o.hasFolder = true;
        } else if (takeValue(args, i, "-o", "--output", o.output, missing)) {
            if (missing || o.output.empty()) return usageError(d, "option " + a + " needs a file name");
            o.hasOutput = true;
        } else {
            return usageError(d, "unknown option '" + a + "'");
        }
    }
    if (o.files.empty()) return usageError(d, "no input file");
    if (o.hasOutput && o.files.size() != 1)
        return usageError(d, "-o names the output of a single input file");
    if (o.hasOutput && o.hasFolder) return usageError(d, "-o and -d cannot be used together");

    ProgressLine bar(o.files.size());
    convert::ConvertBuffers buffers;
    int failures = 0;
    for (std::size_t i = 0; i < o.files.size(); ++i) {
        const std::string& source = o.files[i];
        std::string destination = o.hasOutput ? o.output : convert::destinationFor(source, d.extension);
        if (o.hasFolder) destination = convert::destinationInFolder(destination, o.folder);
        bar.update(i, 0, 1);
        auto result = d.convert(
            source, destination,
            [&](std::int64_t done, std::int64_t total) {
                bar.update(i, done, total);
                return true;
            },
            &buffers);
        bar.clear();
        if (result) {
            std::cout << destination << '\n';
        } else {
            std::cout.flush();
            std::cerr << "vantorel-cli " << d.name << ": " << source << " -> " << destination << ": "
                      << result.error().description() << '\n';
            ++failures;
        }
    }
    std::cout.flush();
    return failures == 0 ? kExitOk : kExitFailure;
}

constexpr const char* kUsageToBin =
    "Usage: vantorel-cli smd2bin [-d DIR | -o OUT] FILE...\n"
    "Converts each SMD copier file to a plain BIN image. The output sits beside its source,\n"
    "named like it with the last four characters (the \".smd\") replaced by \".bin\".\n"
    "  -d, --dir DIR      write the outputs into DIR instead\n"
    "  -o, --output OUT   name the output of a single FILE\n"
    "  --                 treat every further argument as a file\n"
    "Prints the path of each output; failures go to standard error with their reason.\n"
    "Exit status: 0 when every file converted, 1 when any failed, 2 on a usage error.\n";

constexpr const char* kUsageToSmd =
    "Usage: vantorel-cli bin2smd [-d DIR | -o OUT] FILE...\n"
    "Converts each plain BIN image to an SMD copier file, zero-padding the last block.\n"
    "The output sits beside its source, named like it with the last four characters\n"
    "(the \".bin\") replaced by \".smd\".\n"
    "  -d, --dir DIR      write the outputs into DIR instead\n"
    "  -o, --output OUT   name the output of a single FILE\n"
    "  --                 treat every further argument as a file\n"
    "Prints the path of each output; failures go to standard error with their reason.\n"
    "Exit status: 0 when every file converted, 1 when any failed, 2 on a usage error.\n";

int runToBin(const std::vector<std::string>& args) {
    return run(kToBin, args);
}
int runToSmd(const std::vector<std::string>& args) {
    return run(kToSmd, args);
}

const bool registeredToBin =
    registerCommand({"smd2bin", "convert SMD files to BIN images", kUsageToBin, &runToBin});
const bool registeredToSmd =
    registerCommand({"bin2smd", "convert BIN images to SMD files", kUsageToSmd, &runToSmd});

}  // namespace
}  // namespace vantorel::cli
