// vantorel-cli header: show a cartridge header, or write some of its fields.
#include <cstdio>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "engine/common/text.h"
#include "engine/rom/checksum.h"
#include "engine/rom/header.h"
#include "engine/rom/rom_image.h"

namespace vantorel::cli {
namespace {

constexpr std::string_view kUsage =
    "Usage: vantorel-cli header FILE [--json] [--set NAME=VALUE ...] [-o OUT]\n"
    "Shows the cartridge header of FILE (a plain BIN image), one field per line as\n"
    "'name: value', or writes the fields named with --set.\n"
    "  --json            print one JSON object with the keys system, legal, domestic,\n"
    "                    overseas, code, checksum, devices, comment, region\n"
    "  --set NAME=VALUE  write one field (repeatable). Text fields system, legal,\n"
    "                    domestic, overseas, code, comment take ISO-8859-1 text up to\n"
    "                    their width (16, 16, 48, 48, 14, 64) and are zero padded;\n"
    "                    devices takes the device letters (box letters are written in\n"
    "                    the order J 6 K P B F L 4 0 R T V C M, other letters after them);\n"
    "                    region takes up to three characters, space padded.\n"
    "                    Only the named fields change; every other byte stays.\n"
    "  -o, --output OUT  with --set: write the result to OUT and leave FILE untouched\n"
    "Exit status: 0 done, 1 the file cannot be read, is too short or cannot be written,\n"
    "2 usage error.\n";

struct Options {
    std::string file;
    bool json = false;
    std::vector<std::pair<std::string, std::string>> sets;
    std::optional<std::string> output;
};

int usageError(const std::string& message) {
    std::cerr << "vantorel-cli header: " << message << "\nTry 'vantorel-cli header --help'.\n";
    return kExitUsage;
}

int fileError(const std::string& file, const std::string& reason) {
    std::cerr << "vantorel-cli header: " << file << ": " << reason << '\n';
    return kExitFailure;
}

std::string jsonString(std::string_view latin1) {
    std::string out = "\"";
    for (char ch : latin1) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04X", c);
                    out += buf;
                } else {
                    out += text::latin1ToUtf8(std::string_view(&ch, 1));
                }
        }
    }
    return out + "\"";
}

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

void printHeader(const rom::Header& h, std::uint16_t checksum, bool json) {
    const std::vector<std::pair<const char*, std::string>> fields = {
        {"system", h.systemName},
        {"legal", h.legalLine},
        {"domestic", h.domesticTitle},
        {"overseas", h.overseasTitle},
        {"code", h.productCode},
        {"checksum", hex4(checksum)},
        {"devices", rom::deviceLetters(h.devices)},
        {"comment", h.comment},
        {"region", h.region},
    };
    if (json) {
        std::cout << '{';
        for (std::size_t i = 0; i < fields.size(); ++i)
            std::cout << (i ? ", " : "") << '"' << fields[i].first << "\": " << jsonString(fields[i].second);
        std::cout << "}\n";
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

int run(const std::vector<std::string>& args) {
    Options o;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto next = [&](const char* option) -> std::optional<std::string> {
            if (i + 1 >= args.size()) return std::nullopt;
            (void)option;
            return args[++i];
        };
        if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
            files.push_back(a);
        } else if (a == "--") {
            optionsEnded = true;
        } else if (a == "--json") {
            o.json = true;
        } else if (a == "--set" || a.rfind("--set=", 0) == 0) {
            std::optional<std::string> v = a == "--set" ? next("--set") : std::optional(a.substr(6));
            if (!v) return usageError("--set needs NAME=VALUE");
            std::string why;
            auto set = parseSet(*v, why);
            if (!set) return usageError(why);
            o.sets.push_back(*set);
        } else if (a == "-o" || a == "--output" || a.rfind("--output=", 0) == 0) {
            std::optional<std::string> v =
                a.rfind("--output=", 0) == 0 ? std::optional(a.substr(9)) : next("-o");
            if (!v || v->empty()) return usageError(a + " needs a file name");
            o.output = *v;
        } else {
            return usageError("unknown option '" + a + "'");
        }
    }
    if (files.size() != 1) return usageError(files.empty() ? "no FILE given" : "give exactly one FILE");
    if (o.output && o.sets.empty()) return usageError("-o is only used with --set");
    o.file = files.front();

    auto image = rom::LoadRomImage(o.file);
    if (!image) return fileError(o.file, image.error().description());
    auto header = rom::ReadHeaderRecord(image.value());
    if (!header) return fileError(o.file, header.error().description());

    if (o.sets.empty()) {
        printHeader(header.value(), rom::CalcChecksum(image.value()).stored(), o.json);
        return kExitOk;
    }
    for (const auto& [name, value] : o.sets) applySet(header.value(), name, value);
    if (auto w = rom::WriteHeaderRecord(image.value(), header.value()); !w)
        return fileError(o.file, w.error().description());
    const std::string target = o.output.value_or(o.file);
    if (auto w = rom::WriteRomImage(target, image.value()); !w)
        return fileError(target, w.error().description());
    if (o.json)
        printHeader(rom::ReadHeaderRecord(image.value()).value(), rom::CalcChecksum(image.value()).stored(),
                    true);
    return kExitOk;
}

const bool registered =
    registerCommand({"header", "show or edit the cartridge header of a BIN image", kUsage, &run});

}  // namespace
}  // namespace vantorel::cli
