// vantorel-cli patchinfo: what a patch says about itself, checked whole without an image.
#include <cctype>
#include <cstdint>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/command.h"
#include "cli/image_input.h"
#include "cli/json_output.h"
#include "cli/patch_support.h"
#include "engine/patch/patch_common.h"
#include "engine/patch/patch_format.h"

namespace vantorel::cli {
namespace {

struct Options {
    std::string patch;
    bool json = false;
};

// A field is a number, a CRC32 or text; empty when the format has no such thing.
struct Crc32 {
    std::uint32_t value;
};
using FieldValue = std::variant<std::monostate, std::uint64_t, Crc32, std::string>;

struct Field {
    std::string_view key;
    FieldValue value;
};

template <typename T>
FieldValue number(const std::optional<T>& value) {
    if (!value) return std::monostate{};
    return static_cast<std::uint64_t>(*value);
}

FieldValue crc(const std::optional<std::uint32_t>& value) {
    if (!value) return std::monostate{};
    return Crc32{*value};
}

std::vector<Field> fieldsOf(const std::string& path, const patch::PatchInfo& info, std::uint32_t fileCrc) {
    std::string format(patch::formatName(info.format));
    for (char& c : format) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::vector<Field> fields = {
        {"path", path},
        {"format", format},
        {"patch_size", std::uint64_t{info.patchSize}},
        {"file_crc32", Crc32{fileCrc}},
        {"patch_crc32", crc(info.patchCrc32)},
        {"source_size", number(info.sourceSize)},
        {"source_crc32", crc(info.sourceCrc32)},
        {"target_size", number(info.targetSize)},
        {"target_crc32", crc(info.targetCrc32)},
        {"record_count", std::uint64_t{info.recordCount}},
        {"metadata_size", number(info.metadataSize)},
        {"ips_truncate_to", number(info.ipsTruncateTo)},
        {"ips_write_end",
         info.format == patch::PatchFormat::Ips ? number(info.ipsWriteEnd) : std::monostate{}},
    };
    return fields;
}

void printText(const std::vector<Field>& fields) {
    for (const Field& field : fields) {
        if (std::holds_alternative<std::monostate>(field.value)) continue;
        std::cout << field.key << ": ";
        if (const auto* n = std::get_if<std::uint64_t>(&field.value)) std::cout << *n;
        if (const auto* c = std::get_if<Crc32>(&field.value)) std::cout << crc32Lower(c->value);
        if (const auto* s = std::get_if<std::string>(&field.value)) std::cout << printable(*s);
        std::cout << '\n';
    }
}

nlohmann::ordered_json jsonOf(const std::vector<Field>& fields) {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (const Field& field : fields) {
        nlohmann::ordered_json& slot = object[std::string(field.key)];
        if (const auto* n = std::get_if<std::uint64_t>(&field.value))
            slot = *n;
        else if (const auto* c = std::get_if<Crc32>(&field.value))
            slot = crc32Lower(c->value);
        else if (const auto* s = std::get_if<std::string>(&field.value))
            slot = *s;
        else
            slot = nullptr;
    }
    return object;
}

int run(const CLI::App& app, const Options& o) {
    auto bytes = readWholeFile(o.patch);
    if (!bytes) {
        reportFailure(app, fileFailure(o.patch, bytes.error()));
        return kExitFailure;
    }
    const std::string invalid = invalidPatchText();
    auto info = patch::studyPatch(bytes.value(), invalid);
    if (!info) {
        const Error& e = info.error();
        const bool unknown = e.is(ErrorCategory::Patch, patch::kUnknownPatchError);
        reportFailure(app, o.patch + ": " + (unknown ? invalid : e.description()));
        return kExitFailure;
    }
    const std::vector<Field> fields = fieldsOf(o.patch, info.value(), patch::crc32Of(bytes.value()));
    if (o.json)
        printJson(jsonOf(fields));
    else
        printText(fields);
    return kExitOk;
}

std::string keyList() {
    std::string keys;
    std::string line;
    // Every key, from the fields of a patch that has none of the optional ones.
    for (const Field& field : fieldsOf("", patch::PatchInfo{}, 0)) {
        const std::string_view key = field.key;
        if (!line.empty() && line.size() + key.size() + 2 > 60) {
            keys += line + ",\n";
            line.clear();
        }
        line += (line.empty() ? "" : ", ") + std::string(key);
    }
    return keys + line;
}

}  // namespace

CommandRun setupPatchInfo(CLI::App& app) {
    auto o = std::make_shared<Options>();
    describeCommand(app, "vantorel-cli patchinfo PATCH [--json]",
                    "Checks the IPS, BPS or UPS patch PATCH whole, without an image, and tells what it says\n"
                    "about itself, one 'key: value' line per field the format has:\n"
                    "  path, format (ips, bps or ups), patch_size (bytes),\n"
                    "  file_crc32 (of the whole file, as checksum lists give it),\n"
                    "  patch_crc32 (the CRC32 a BPS or UPS patch stores for itself),\n"
                    "  source_size, source_crc32, target_size, target_crc32 (BPS, UPS: the images it\n"
                    "    turns one into the other),\n"
                    "  record_count (IPS records, BPS actions, UPS hunks),\n"
                    "  metadata_size (BPS, bytes), ips_truncate_to (IPS: the size the patch cuts the\n"
                    "    image to, when it has one), ips_write_end (IPS: one past the last byte it writes).\n"
                    "CRC32s are eight lower-case hex digits, sizes in bytes.",
                    "Exit status: 0 the patch is valid, 1 it cannot be read or is not a valid patch (the\n"
                    "reason is given), 2 usage error.");
    app.add_option("PATCH", o->patch, "the patch to describe")->required()->type_name("");
    app.add_flag("--json", o->json,
                 "print one JSON object with every key, null where the format\n"
                 "has no such field, numbers as integers, CRC32s as strings:\n" +
                     keyList());
    return [&app, o] { return run(app, *o); };
}

}  // namespace vantorel::cli
