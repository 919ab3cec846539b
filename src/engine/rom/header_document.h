#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/common/error.h"
#include "engine/common/file_io.h"
#include "engine/common/progress.h"
#include "engine/rom/checksum.h"
#include "engine/rom/header.h"

namespace vantorel::rom {

// The header fields an editor shows, in the order they are written back.
enum class Field { System, Legal, Domestic, Overseas, Code, Devices, Comment, Region };
inline constexpr std::size_t kFieldCount = 8;

struct FieldSpec {
    Field field;
    std::string_view name;  // as the command line and --json name it
    TextField where;
};
inline constexpr std::array<FieldSpec, kFieldCount> kFieldSpecs = {{
    {Field::System, "system", kSystemName},
    {Field::Legal, "legal", kLegalLine},
    {Field::Domestic, "domestic", kDomesticTitle},
    {Field::Overseas, "overseas", kOverseasTitle},
    {Field::Code, "code", kProductCode},
    {Field::Devices, "devices", kDevices},
    {Field::Comment, "comment", kComment},
    {Field::Region, "region", kRegion},
}};

const FieldSpec& specOf(Field field);
// The field a command-line name stands for.
std::optional<Field> fieldNamed(std::string_view name);

// Failures of editing (ErrorCategory::Format).
inline constexpr int kErrFieldTooLong = 607;  // args: field name, length, width
inline constexpr int kErrNotLatin1 = 608;     // args: field name

// What the setters refuse (a value longer than its field), for callers that check every
// value before a file is open, as a command line does.
[[nodiscard]] Result<void> checkFieldValue(Field field, std::string_view latin1);
// A value given as UTF-8 (a command line, a script) in the one byte per character form the
// setters take; refuses characters beyond ISO-8859-1, then what checkFieldValue refuses.
[[nodiscard]] Result<std::string> fieldValueFromUtf8(Field field, std::string_view utf8);

// One cartridge image open for editing: the whole file, what its header fields hold, what
// has been changed, the checksum, and saving. Both front ends edit through it, so the rules
// live once: a text field shows up to its first NUL (the comment shows each NUL as a blank)
// and is written back zero padded to its width; a field nobody changed goes back byte for
// byte, whatever it held.
class HeaderDocument {
public:
    // The image as loaded from `path`; refuses one too short to hold a header.
    static Result<HeaderDocument> fromImage(Bytes image, std::filesystem::path path);
    static Result<HeaderDocument> load(const std::filesystem::path& path);

    const std::filesystem::path& path() const { return path_; }
    const Bytes& image() const { return image_; }

    // A field as an editor box shows it, one byte per character (ISO-8859-1). For Devices:
    // the letters the field holds, in its order, spaces and NULs left out.
    std::string text(Field field) const;
    // The device boxes the field ticks.
    const DeviceBoxes& devices() const { return devices_; }
    // The three region bytes as stored.
    std::string region() const { return readTextField(image_, kRegion); }

    // Changes a text field; the text must fit the field. Devices and Region are handed to
    // their own setters.
    [[nodiscard]] Result<void> setText(Field field, std::string_view latin1);
    // The ticked boxes: box letters go first in box order, the field's other letters after.
    void setDevices(const DeviceBoxes& boxes);
    // Letters as typed on a command line: box letters ticked, any other letter kept after them.
    [[nodiscard]] Result<void> setDeviceLetters(std::string_view latin1);
    // The region string, up to three characters, zero padded.
    [[nodiscard]] Result<void> setRegion(std::string_view latin1);

    bool changed(Field field) const { return changed_[index(field)]; }
    bool anyChanged() const;

    // Stored beside computed, over the image as it is now.
    ChecksumPair checksum() const { return CalcChecksum(image_); }
    // Writes the computed value at 0x18E; nothing else changes.
    void fixChecksum();

    // The changed fields, written into the image (ROM start/end and everything else stay).
    // Progress reports each of the eight fields.
    void applyEdits(const ProgressFn& progress = {});
    // Applies the edits and replaces `path` (the document's own path when empty) with the
    // image, atomically; the document then belongs to that path.
    [[nodiscard]] Result<void> save(const std::filesystem::path& path = {});

private:
    HeaderDocument() = default;
    static std::size_t index(Field f) { return static_cast<std::size_t>(f); }

    std::filesystem::path path_;
    Bytes image_;
    std::array<std::string, kFieldCount> pending_;  // the new bytes of changed fields
    std::array<bool, kFieldCount> changed_{};
    DeviceBoxes devices_{};
};

// Builds the text an editor box shows for the raw bytes of a field.
std::string shownText(Field field, std::string_view stored);

}  // namespace vantorel::rom
