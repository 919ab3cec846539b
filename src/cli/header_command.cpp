// vantorel-cli header: show a cartridge header, or write some of its fields.
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/command.h"
#include "cli/json_output.h"
#include "engine/common/text.h"
#include "engine/rom/header_document.h"

namespace vantorel::cli {
namespace {

struct Options {
    std::string file;
    bool json = false;
    std::vector<std::string> sets;  // NAME=VALUE, checked by the parse
    std::string output;
    bool hasOutput = false;
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

std::string hex4(std::uint16_t v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", v);
    return buf;
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
std::string fieldValue(const rom::HeaderDocument& doc, const rom::FieldSpec& spec, bool json) {
    if (spec.field == rom::Field::Devices) return shownDevices(doc);
    if (json && spec.field != rom::Field::Comment) return rom::readTextField(doc.image(), spec.where);
    return doc.text(spec.field);
}

void printHeader(const rom::HeaderDocument& doc, bool json) {
    std::vector<std::pair<std::string_view, std::string>> fields;
    for (const rom::FieldSpec& spec : rom::kFieldSpecs) {
        // Where it sits in the header: between the product code and the devices.
        if (spec.field == rom::Field::Devices) fields.emplace_back("checksum", hex4(doc.checksum().stored()));
        fields.emplace_back(spec.name, fieldValue(doc, spec, json));
    }
    if (json) {
        nlohmann::ordered_json object = nlohmann::ordered_json::object();
        for (const auto& [name, value] : fields) object[std::string(name)] = text::latin1ToUtf8(value);
        printJson(object);
    } else {
        for (const auto& [name, value] : fields) std::cout << name << ": " << plainText(value) << '\n';
    }
}

std::string fieldNames() {
    std::string names;
    for (const rom::FieldSpec& spec : rom::kFieldSpecs)
        names += (names.empty() ? "" : ", ") + std::string(spec.name);
    return names;
}

struct FieldValue {
    rom::Field field;
    std::string latin1;
};

// One NAME=VALUE with its value as the document takes it; empty optional and `why` when the
// name or the value is refused.
std::optional<FieldValue> parseSet(std::string_view arg, std::string& why) {
    const auto eq = arg.find('=');
    if (eq == std::string_view::npos) {
        why = "--set needs NAME=VALUE, got '" + std::string(arg) + "'";
        return std::nullopt;
    }
    const std::string_view name = arg.substr(0, eq);
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
    return FieldValue{*field, std::move(value).value()};
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

int run(const CLI::App& app, const Options& o) {
    auto fileError = [&](const std::string& file, const Error& e) {
        reportFailure(app, file + ": " + e.description());
        return kExitFailure;
    };
    auto doc = rom::HeaderDocument::load(o.file);
    if (!doc) return fileError(o.file, doc.error());

    if (o.sets.empty()) {
        printHeader(doc.value(), o.json);
        return kExitOk;
    }
    for (const std::string& arg : o.sets) {
        std::string why;
        const auto set = parseSet(arg, why);
        if (!set) return usageError(app, why);  // the parse checked them all; never taken
        if (auto s = setField(doc.value(), *set); !s) return usageError(app, s.error().description());
    }
    const std::string target = o.hasOutput ? o.output : o.file;
    if (auto w = doc.value().save(target); !w) return fileError(target, w.error());
    if (o.json) printHeader(doc.value(), true);
    return kExitOk;
}

// The --set help, with each text field's width as the document holds it.
std::string setHelp() {
    std::string widths;
    for (const rom::FieldSpec& spec : rom::kFieldSpecs)
        if (spec.field != rom::Field::Devices && spec.field != rom::Field::Region)
            widths += (widths.empty() ? "" : ", ") + std::string(spec.name) + " " +
                      std::to_string(spec.where.width);
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
           "region takes up to three characters, zero padded.\n"
           "Only the named fields change; every other byte stays.";
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
    return [&app, o, output] {
        o->hasOutput = output->count() > 0;
        return run(app, *o);
    };
}

}  // namespace vantorel::cli
