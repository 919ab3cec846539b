// vantorel-cli info: what an image is, as checksum lists and flash carts need to know it.
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "cli/command.h"
#include "cli/image_input.h"
#include "cli/json_output.h"
#include "engine/rom/identity.h"

namespace vantorel::cli {
namespace {

struct Options {
    std::vector<std::string> files;
    bool json = false;
    EntryOption entry;
};

// Addresses read best in hex; every other number in decimal.
bool isAddress(std::string_view name) {
    return name == "rom_start" || name == "rom_end";
}

std::string textOf(const rom::IdentityField& field) {
    return std::visit(
        [&](const auto& value) -> std::string {
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, std::monostate>) {
                return "";
            } else if constexpr (std::is_same_v<T, std::string>) {
                return printable(value);
            } else if constexpr (std::is_same_v<T, bool>) {
                return value ? "yes" : "no";
            } else {
                if (!isAddress(field.name)) return std::to_string(value);
                char hex[16];
                std::snprintf(hex, sizeof hex, "0x%08llX", static_cast<unsigned long long>(value));
                return hex;
            }
        },
        field.value);
}

nlohmann::ordered_json jsonOf(const std::vector<rom::IdentityField>& fields) {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (const rom::IdentityField& field : fields) {
        nlohmann::ordered_json& slot = object[std::string(field.name)];
        std::visit(
            [&](const auto& value) {
                using T = std::decay_t<decltype(value)>;
                if constexpr (std::is_same_v<T, std::monostate>)
                    slot = nullptr;
                else
                    slot = value;
            },
            field.value);
    }
    return object;
}

void printText(const std::vector<rom::IdentityField>& fields) {
    for (const rom::IdentityField& field : fields) {
        // A plain file has no entry; the line would say nothing.
        if (std::holds_alternative<std::monostate>(field.value)) continue;
        std::cout << field.name << ": " << textOf(field) << '\n';
    }
}

int run(const CLI::App& app, const Options& o) {
    const bool several = o.files.size() > 1;
    nlohmann::ordered_json reports = nlohmann::ordered_json::array();
    bool allRead = true;
    bool printedOne = false;
    for (const std::string& file : o.files) {
        auto loaded = readImage(file, o.entry.chosen());
        if (!loaded) {
            reportFailure(app, readFailure(file, loaded.error()));
            allRead = false;
            continue;
        }
        auto identity = rom::identify(loaded.value());
        if (!identity) {
            reportFailure(app, imageLabel(loaded.value()) + ": " + printable(identity.error().description()));
            allRead = false;
            continue;
        }
        const std::vector<rom::IdentityField> fields = rom::identityFields(identity.value());
        if (o.json) {
            if (several)
                reports.push_back(jsonOf(fields));
            else
                printJson(jsonOf(fields));
        } else {
            if (printedOne) std::cout << '\n';
            printText(fields);
            std::cout.flush();
            printedOne = true;
        }
    }
    if (o.json && several) printJson(reports);
    return allRead ? kExitOk : kExitFailure;
}

// The keys of --json, wrapped to the width of the help's other lines.
std::string keyList() {
    std::string keys;
    std::string line;
    for (const rom::FieldKey& key : rom::kIdentityKeys) {
        if (!line.empty() && line.size() + key.name.size() + 2 > 60) {
            keys += line + ",\n";
            line.clear();
        }
        line += (line.empty() ? "" : ", ") + std::string(key.name);
    }
    return keys + line;
}

}  // namespace

CommandRun setupInfo(CLI::App& app) {
    auto o = std::make_shared<Options>();
    describeCommand(
        app, "vantorel-cli info FILE... [--json] [--entry NAME]",
        "Identifies each image: its path (and entry, inside an archive), size, layout, CRC32, MD5\n"
        "and SHA-1, the header checksum stored and computed, the ROM start and end addresses at\n"
        "0x1A0 and 0x1A4 and whether the end address is the image's last byte. Everything is of\n"
        "the plain image: an SMD file is de-interleaved first, so its hashes match those of the\n"
        "BIN image smd2bin makes. One 'key: value' line per field, a blank line between files.\n"
        "A FILE may be a .zip, .7z or .gz archive.",
        "'--' ends the options: every later argument is a FILE, even '--help'.\n"
        "An archive holding several images is refused with their names unless --entry names one.\n"
        "Exit status: 0 every file was read, 1 any could not be (the others are still reported),\n"
        "2 usage error.");
    app.add_option("FILE", o->files, "the images to identify")->required()->type_name("");
    app.add_flag("--json", o->json,
                 "print one JSON object per file (an array of them for several\n"
                 "FILEs) with the keys:\n" +
                     keyList());
    addEntryOption(app, o->entry, true);
    return [&app, o] { return run(app, *o); };
}

}  // namespace vantorel::cli
