// vantorel-cli header: show a cartridge header, or write some of its fields.
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/json_output.h"
#include "engine/common/text.h"
#include "engine/rom/checksum.h"
#include "engine/rom/header.h"
#include "engine/rom/rom_image.h"

namespace vantorel::cli {
namespace {

struct Options {
    std::string file;
    bool json = false;
    std::vector<std::string> sets;  // NAME=VALUE, checked by the parse
    std::string output;
    bool hasOutput = false;
};

// As the editor's box shows it: up to the first NUL; other control characters as '?'.
std::string plainText(std::string_view latin1) {
    std::string shown(latin1.substr(0, latin1.find('\0')));
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return text::latin1ToUtf8(shown);
}

std::string hex4(std::uint16_t v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", v);
    return buf;
}

// Every letter the field holds: the box letters in box order, then the others as stored,
// so letters no box knows are seen before a save keeps them.
std::string shownDevices(const rom::Header& h) {
    std::string letters = rom::deviceField(h.devices, h.storedDevices);
    while (!letters.empty() && letters.back() == ' ') letters.pop_back();
    return letters;
}

void printHeader(const rom::Header& h, std::uint16_t checksum, bool json) {
    const std::vector<std::pair<const char*, std::string>> fields = {
        {"system", h.systemName},      {"legal", h.legalLine},  {"domestic", h.domesticTitle},
        {"overseas", h.overseasTitle}, {"code", h.productCode}, {"checksum", hex4(checksum)},
        {"devices", shownDevices(h)},  {"comment", h.comment},  {"region", h.region},
    };
    if (json) {
        nlohmann::ordered_json object = nlohmann::ordered_json::object();
        for (const auto& [name, value] : fields) object[name] = text::latin1ToUtf8(value);
        printJson(object);
    } else {
        for (const auto& [name, value] : fields) std::cout << name << ": " << plainText(value) << '\n';
    }
}

const std::map<std::string, std::size_t, std::less<>>& fieldWidths() {
    static const std::map<std::string, std::size_t, std::less<>> widths = {
        {"system", rom::kSystemName.width},      {"legal", rom::kLegalLine.width},
        {"domestic", rom::kDomesticTitle.width}, {"overseas", rom::kOverseasTitle.width},
        {"code", rom::kProductCode.width},       {"comment", rom::kComment.width},
        {"devices", rom::kDevices.width},        {"region", rom::kRegion.width},
    };
    return widths;
}

// Checks one NAME=VALUE and turns the value into header bytes; empty optional on error.
std::optional<std::pair<std::string, std::string>> parseSet(const std::string& arg, std::string& why) {
    const auto eq = arg.find('=');
    if (eq == std::string::npos) {
        why = "--set needs NAME=VALUE, got '" + arg + "'";
        return std::nullopt;
    }
    const std::string name = arg.substr(0, eq);
    const std::string value = arg.substr(eq + 1);
    const auto it = fieldWidths().find(name);
    if (it == fieldWidths().end()) {
        why = "unknown field '" + name +
              "' (system, legal, domestic, overseas, code, comment, devices, region)";
        return std::nullopt;
    }
    const std::string latin1 = text::utf8ToLatin1(value);
    if (text::latin1ToUtf8(latin1) != value) {
        why = "the value of " + name + " has characters outside ISO-8859-1";
        return std::nullopt;
    }
    if (latin1.size() > it->second) {
        why = "the value of " + name + " is " + std::to_string(latin1.size()) +
              " characters long; the field holds " + std::to_string(it->second);
        return std::nullopt;
    }
    return std::pair{name, latin1};
}

void applySet(rom::Header& h, const std::string& name, const std::string& value) {
    if (name == "system")
        h.systemName = value;
    else if (name == "legal")
        h.legalLine = value;
    else if (name == "domestic")
        h.domesticTitle = value;
    else if (name == "overseas")
        h.overseasTitle = value;
    else if (name == "code")
        h.productCode = value;
    else if (name == "comment") {
        h.comment = value;
        h.commentEdited = true;
    } else if (name == "devices") {
        h.devices = rom::devicesFromField(value);
        h.storedDevices = value;  // its other letters follow the box letters
        h.storedDevices.resize(rom::kDevices.width, ' ');
        h.devicesEdited = true;
    } else if (name == "region") {
        h.region = value;
        h.region.resize(rom::kRegion.width, ' ');
    }
}

int run(const CLI::App& app, const Options& o) {
    auto fileError = [&](const std::string& file, const Error& e) {
        reportFailure(app, file + ": " + e.description());
        return kExitFailure;
    };
    auto image = rom::LoadRomImage(o.file);
    if (!image) return fileError(o.file, image.error());
    auto header = rom::ReadHeaderRecord(image.value());
    if (!header) return fileError(o.file, header.error());

    if (o.sets.empty()) {
        printHeader(header.value(), rom::CalcChecksum(image.value()).stored(), o.json);
        return kExitOk;
    }
    for (const std::string& arg : o.sets) {
        std::string why;
        const auto set = parseSet(arg, why);
        if (!set) return usageError(app, why);  // the parse checked them all; never taken
        applySet(header.value(), set->first, set->second);
    }
    if (auto w = rom::WriteHeaderRecord(image.value(), header.value()); !w)
        return fileError(o.file, w.error());
    const std::string target = o.hasOutput ? o.output : o.file;
    if (auto w = rom::WriteRomImage(target, image.value()); !w) return fileError(target, w.error());
    if (o.json)
        printHeader(rom::ReadHeaderRecord(image.value()).value(), rom::CalcChecksum(image.value()).stored(),
                    true);
    return kExitOk;
}

}  // namespace

CommandRun setupHeader(CLI::App& app) {
    auto o = std::make_shared<Options>();
    describeCommand(app, "vantorel-cli header FILE [--json] [--set NAME=VALUE ...] [-o OUT]",
                    "Shows the cartridge header of FILE (a plain BIN image), one field per line as\n"
                    "'name: value', or writes the fields named with --set. Devices shows every letter\n"
                    "the field holds: the box letters in box order, then the others as stored.",
                    "'--' ends the options: every later argument is a FILE, even '--help'.\n"
                    "Exit status: 0 done, 1 the file cannot be read, is too short or cannot be written,\n"
                    "2 usage error.");
    app.add_option("FILE", o->file, "the image")->required()->type_name("");
    app.add_flag("--json", o->json,
                 "print one JSON object with the keys system, legal, domestic,\n"
                 "overseas, code, checksum, devices, comment, region");
    CLI::Option* set = app.add_option("--set", o->sets,
                                      "write one field (repeatable). Text fields system, legal,\n"
                                      "domestic, overseas, code, comment take ISO-8859-1 text up to\n"
                                      "their width (16, 16, 48, 48, 14, 64) and are zero padded;\n"
                                      "devices takes the device letters (box letters are written in\n"
                                      "the order J 6 K P B F L 4 0 R T V C M, other letters after them);\n"
                                      "region takes up to three characters, space padded.\n"
                                      "Only the named fields change; every other byte stays.")
                           ->type_name("NAME=VALUE")
                           ->expected(1)
                           ->allow_extra_args(false)
                           ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
                           ->check([](const std::string& arg) {
                               std::string why;
                               return parseSet(arg, why) ? std::string() : why;
                           });
    CLI::Option* output = app.add_option("-o,--output", o->output,
                                         "with --set: write the result to OUT and leave FILE untouched")
                              ->type_name("OUT")
                              ->check(nonEmptyName())
                              ->needs(set);
    return [&app, o, output] {
        o->hasOutput = output->count() > 0;
        return run(app, *o);
    };
}

}  // namespace vantorel::cli
