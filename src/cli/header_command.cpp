// vantorel-cli header: show a cartridge header, or write some of its fields.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "cli/command.h"
#include "cli/image_input.h"
#include "cli/json_output.h"
#include "engine/common/text.h"
#include "engine/convert/smd.h"
#include "engine/rom/header.h"
#include "engine/rom/header_document.h"
#include "engine/rom/identity.h"
#include "engine/rom/rom_range.h"

namespace vantorel::cli {
namespace {

struct Options {
    std::string file;
    bool json = false;
    std::vector<std::string> sets;  // NAME=VALUE, checked by the parse
    std::string output;
    bool hasOutput = false;
    EntryOption entry;
};

// As a terminal may print it: control characters, the 8-bit ones too, as '?', so bytes of
// a header never drive the terminal.
std::string plainText(std::string_view latin1) {
    std::string shown(latin1);
    for (char& c : shown) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x20 || (code >= 0x7F && code < 0xA0)) c = '?';
    }
    return text::latin1ToUtf8(shown);
}

// Every letter the field holds: the box letters in box order, then the others as stored,
// so letters no box knows are seen before a save keeps them.
std::string shownDevices(const rom::HeaderDocument& doc) {
    std::string letters = rom::deviceField(doc.devices(), doc.text(rom::Field::Devices));
    while (!letters.empty() && letters.back() == ' ') letters.pop_back();
    return letters;
}

// Lines show a field as the editor does; JSON gives scripts the text fields' bytes as
// stored, padding included, the comment with its NULs as blanks.
std::string fieldValue(const rom::HeaderDocument& doc, const rom::FieldSpec& def, bool json) {
    if (def.field == rom::Field::Devices) return shownDevices(doc);
    if (json && def.field != rom::Field::Comment) return rom::readTextField(doc.image(), def.where);
    return doc.text(def.field);
}

void printHeader(const rom::HeaderDocument& doc, bool json) {
    std::vector<std::pair<std::string_view, std::string>> fields;
    for (const rom::FieldSpec& def : rom::kFieldSpecs) {
        // Where it sits in the header: between the product code and the devices.
        if (def.field == rom::Field::Devices)
            fields.emplace_back("checksum", rom::checksumHex(doc.checksum().stored()));
        fields.emplace_back(def.name, fieldValue(doc, def, json));
    }
    if (json) {
        nlohmann::ordered_json object = nlohmann::ordered_json::object();
        for (const auto& [name, value] : fields) object[std::string(name)] = text::latin1ToUtf8(value);
        printJson(object);
    } else {
        for (const auto& [name, value] : fields) std::cout << name << ": " << plainText(value) << '\n';
    }
}

// Not a text field of the document: the ROM end address, which only the command line sets.
constexpr std::string_view kRomEndName = "romend";

std::string fieldNames() {
    std::string names;
    for (const rom::FieldSpec& def : rom::kFieldSpecs)
        names += (names.empty() ? "" : ", ") + std::string(def.name);
    return names + ", " + std::string(kRomEndName);
}

struct FieldValue {
    rom::Field field;
    std::string latin1;
};

// romend=auto (no address: the image's size - 1) or romend=ADDRESS.
struct RomEndValue {
    std::optional<std::uint32_t> address;
};

using SetValue = std::variant<FieldValue, RomEndValue>;

// "auto", a decimal number or 0x and hex digits, up to 32 bits.
std::optional<RomEndValue> parseRomEnd(std::string_view value) {
    if (value == "auto") return RomEndValue{};
    int base = 10;
    if (value.starts_with("0x") || value.starts_with("0X")) {
        value.remove_prefix(2);
        base = 16;
    }
    std::uint32_t address = 0;
    const char* end = value.data() + value.size();
    const auto [stop, error] = std::from_chars(value.data(), end, address, base);
    if (value.empty() || error != std::errc() || stop != end) return std::nullopt;
    return RomEndValue{address};
}

// One NAME=VALUE with its value as the document takes it; empty optional and `why` when the
// name or the value is refused.
std::optional<SetValue> parseSet(std::string_view arg, std::string& why) {
    const auto eq = arg.find('=');
    if (eq == std::string_view::npos) {
        why = "--set needs NAME=VALUE, got '" + std::string(arg) + "'";
        return std::nullopt;
    }
    const std::string_view name = arg.substr(0, eq);
    if (name == kRomEndName) {
        if (auto romEnd = parseRomEnd(arg.substr(eq + 1))) return SetValue{*romEnd};
        why = "romend takes auto or an address up to 0xFFFFFFFF (decimal, or 0x and hex digits), got '" +
              std::string(arg.substr(eq + 1)) + "'";
        return std::nullopt;
    }
    const std::optional<rom::Field> field = rom::fieldNamed(name);
    if (!field) {
        why = "unknown field '" + std::string(name) + "' (" + fieldNames() + ")";
        return std::nullopt;
    }
    auto value = rom::fieldValueFromUtf8(*field, arg.substr(eq + 1));
    if (!value) {
        why = value.error().description();
        return std::nullopt;
    }
    return SetValue{FieldValue{*field, std::move(value).value()}};
}

Result<void> setField(rom::HeaderDocument& doc, const FieldValue& set) {
    switch (set.field) {
        case rom::Field::Devices:
            return doc.setDeviceLetters(set.latin1);
        case rom::Field::Region:
            return doc.setRegion(set.latin1);
        default:
            return doc.setText(set.field, set.latin1);
    }
}

// The ROM end goes into the bytes before the document holds them: the document edits text
// fields only, and the two never overlap.
Result<void> setRomEnd(Bytes& image, const RomEndValue& set) {
    if (auto fits = rom::checkHeaderFits(image.size()); !fits) return fits;
    if (!set.address) return rom::setRomEndToSize(image);
    for (std::size_t i = 0; i < 4; ++i)
        image[rom::kRomEndOffset + i] = static_cast<std::uint8_t>(*set.address >> (8 * (3 - i)));
    return Done{};
}

// Every write is refused before the file is read when it would go into an archive or over
// it; empty when the write may go ahead.
std::string archiveWriteRefusal(const Options& o) {
    if (!rom::isArchiveFile(o.file)) return {};
    if (!o.hasOutput)
        return o.file +
               ": an image inside an archive is never written; give -o OUT to write the edited image "
               "to a file of its own";
    if (convert::sameFile(o.output, o.file))
        return o.output +
               ": is the archive the image comes from, and would be replaced by the image alone; "
               "name another file";
    return {};
}

int run(const CLI::App& app, const Options& o) {
    auto failed = [&](const std::string& message) {
        reportFailure(app, message);
        return kExitFailure;
    };
    std::vector<SetValue> sets;
    for (const std::string& arg : o.sets) {
        std::string why;
        auto set = parseSet(arg, why);
        if (!set) return usageError(app, why);  // the parse checked them all; never taken
        sets.push_back(std::move(*set));
    }
    const bool editing = !sets.empty();
    if (editing)
        if (const std::string refusal = archiveWriteRefusal(o); !refusal.empty()) return failed(refusal);

    auto loaded = readImage(o.file, o.entry.chosen());
    if (!loaded) return failed(readFailure(o.file, loaded.error()));
    const std::string label = imageLabel(loaded.value());
    // An SMD file shows the header of the image it holds; its own first bytes are the copier's.
    auto plain = plainImageOf(std::move(loaded).value());
    if (!plain) return failed(label + ": " + plain.error().description());
    if (editing && plain.value().layout == rom::Layout::Smd)
        return failed(label +
                      ": the header fields sit at their addresses only in a plain image, and this file is "
                      "in the SMD layout; convert it with smd2bin first");
    Bytes image = std::move(plain).value().bytes;
    for (const SetValue& set : sets)
        if (const auto* romEnd = std::get_if<RomEndValue>(&set))
            if (auto s = setRomEnd(image, *romEnd); !s) return failed(label + ": " + s.error().description());

    auto doc = rom::HeaderDocument::fromImage(std::move(image), o.file);
    if (!doc) return failed(label + ": " + doc.error().description());
    if (!editing) {
        printHeader(doc.value(), o.json);
        return kExitOk;
    }
    for (const SetValue& set : sets)
        if (const auto* field = std::get_if<FieldValue>(&set))
            if (auto s = setField(doc.value(), *field); !s) return usageError(app, s.error().description());
    const std::string target = o.hasOutput ? o.output : o.file;
    if (auto w = doc.value().save(target); !w) return failed(target + ": " + w.error().description());
    if (o.json) printHeader(doc.value(), true);
    return kExitOk;
}

// The --set help, with each text field's width as the document holds it.
std::string setHelp() {
    std::string widths;
    for (const rom::FieldSpec& def : rom::kFieldSpecs)
        if (def.field != rom::Field::Devices && def.field != rom::Field::Region)
            widths +=
                (widths.empty() ? "" : ", ") + std::string(def.name) + " " + std::to_string(def.where.width);
    std::string boxOrder;
    for (char letter : rom::kDeviceLetters)
        boxOrder += (boxOrder.empty() ? "" : " ") + std::string(1, letter);
    return "write one field (repeatable). The text fields take ISO-8859-1 text\n"
           "up to their width and are zero padded:\n" +
           widths +
           ";\ndevices takes the device letters (box letters are written in\n"
           "the order " +
           boxOrder +
           ", other letters after them);\n"
           "region takes up to three characters, zero padded;\n"
           "romend takes auto (the image's size - 1) or an address, decimal\n"
           "or 0x and hex digits, written big-endian at 0x1A4.\n"
           "Only the named fields change; every other byte stays.";
}

}  // namespace

CommandRun setupHeader(CLI::App& app) {
    auto o = std::make_shared<Options>();
    describeCommand(app, "vantorel-cli header FILE [--json] [--set NAME=VALUE ...] [-o OUT] [--entry NAME]",
                    "Shows the cartridge header of FILE, one field per line as 'name: value', or writes\n"
                    "the fields named with --set. Devices shows every letter the field holds: the box\n"
                    "letters in box order, then the others as stored. FILE may be a .zip, .7z or .gz\n"
                    "archive (its image is read) or an SMD file (the header of the image it holds).",
                    "'--' ends the options: every later argument is a FILE, even '--help'.\n"
                    "Writing never goes into an archive: --set on one needs -o OUT naming another file,\n"
                    "which receives the plain image. --set refuses an SMD file: its header fields are\n"
                    "interleaved; convert it with smd2bin first.\n"
                    "Exit status: 0 done, 1 the file cannot be read, is too short or cannot be written,\n"
                    "or the write is refused, 2 usage error.");
    app.add_option("FILE", o->file, "the image")->required()->type_name("");
    app.add_flag("--json", o->json,
                 "print one JSON object with the keys system, legal, domestic,\n"
                 "overseas, code, checksum, devices, comment, region");
    CLI::Option* set = app.add_option("--set", o->sets, setHelp())
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
    addEntryOption(app, o->entry, false);
    return [&app, o, output] {
        o->hasOutput = output->count() > 0;
        return run(app, *o);
    };
}

}  // namespace vantorel::cli
