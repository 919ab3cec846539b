#include "engine/rom/header_document.h"

#include <algorithm>

#include "engine/common/text.h"
#include "engine/rom/rom_image.h"

namespace vantorel::rom {

const FieldSpec& specOf(Field field) {
    return kFieldSpecs[static_cast<std::size_t>(field)];
}

std::optional<Field> fieldNamed(std::string_view name) {
    for (const FieldSpec& s : kFieldSpecs)
        if (s.name == name) return s.field;
    return std::nullopt;
}

std::string shownText(Field field, std::string_view stored) {
    if (field == Field::Comment) {
        // Backup RAM and modem descriptors put binary zeros here: each shows as a blank.
        std::string shown(stored);
        std::replace(shown.begin(), shown.end(), '\0', ' ');
        return shown;
    }
    if (field == Field::Devices) {
        std::string letters;
        for (char c : stored)
            if (c != ' ' && c != '\0') letters += c;
        return letters;
    }
    // A box shows the text only up to its first NUL; the zeros after it are padding.
    return std::string(stored.substr(0, stored.find('\0')));
}

Result<void> checkFieldValue(Field field, std::string_view latin1) {
    const FieldSpec& def = specOf(field);
    if (latin1.size() <= def.where.width) return Done{};
    const std::string name(def.name);
    const std::string length = std::to_string(latin1.size());
    const std::string width = std::to_string(def.where.width);
    return Error(ErrorCategory::Format, kErrFieldTooLong, "prVantor.frmHeadEdit.WriteHeader",
                 "the value of " + name + " is " + length + " characters long; the field holds " + width,
                 {name, length, width});
}

Result<std::string> fieldValueFromUtf8(Field field, std::string_view utf8) {
    std::string latin1 = text::utf8ToLatin1(utf8);
    // Characters beyond ISO-8859-1 (and malformed bytes) come back as '?': they do not survive.
    if (text::latin1ToUtf8(latin1) != utf8) {
        const std::string name(specOf(field).name);
        return Error(ErrorCategory::Format, kErrNotLatin1, "prVantor.frmHeadEdit.WriteHeader",
                     "the value of " + name + " has characters outside ISO-8859-1", {name});
    }
    if (auto fits = checkFieldValue(field, latin1); !fits) return fits.error();
    return latin1;
}

Result<HeaderDocument> HeaderDocument::fromImage(Bytes image, std::filesystem::path path) {
    if (auto fits = checkHeaderFits(image.size()); !fits) return fits.error();
    HeaderDocument doc;
    doc.image_ = std::move(image);
    doc.path_ = std::move(path);
    doc.devices_ = devicesFromField(readTextField(doc.image_, kDevices));
    return doc;
}

Result<HeaderDocument> HeaderDocument::load(const std::filesystem::path& path) {
    auto image = LoadRomImage(path);
    if (!image) return image.error();
    return fromImage(std::move(image).value(), path);
}

std::string HeaderDocument::text(Field field) const {
    const std::size_t i = index(field);
    if (changed_[i]) return field == Field::Devices ? shownText(field, pending_[i]) : pending_[i];
    return shownText(field, readTextField(image_, specOf(field).where));
}

Result<void> HeaderDocument::setText(Field field, std::string_view latin1) {
    if (field == Field::Devices) return setDeviceLetters(latin1);
    if (field == Field::Region) return setRegion(latin1);
    if (auto fits = checkFieldValue(field, latin1); !fits) return fits;
    pending_[index(field)] = std::string(latin1);
    changed_[index(field)] = true;
    return Done{};
}

void HeaderDocument::setDevices(const DeviceBoxes& boxes) {
    const std::size_t i = index(Field::Devices);
    const std::string stored = changed_[i] ? pending_[i] : readTextField(image_, kDevices);
    pending_[i] = deviceField(boxes, stored);
    changed_[i] = true;
    devices_ = boxes;
}

Result<void> HeaderDocument::setDeviceLetters(std::string_view latin1) {
    if (auto fits = checkFieldValue(Field::Devices, latin1); !fits) return fits;
    const std::size_t i = index(Field::Devices);
    devices_ = devicesFromField(latin1);
    pending_[i] = deviceField(devices_, latin1);
    changed_[i] = true;
    return Done{};
}

Result<void> HeaderDocument::setRegion(std::string_view latin1) {
    if (auto fits = checkFieldValue(Field::Region, latin1); !fits) return fits;
    pending_[index(Field::Region)] = std::string(latin1);
    changed_[index(Field::Region)] = true;
    return Done{};
}

bool HeaderDocument::anyChanged() const {
    return std::any_of(changed_.begin(), changed_.end(), [](bool c) { return c; });
}

void HeaderDocument::fixChecksum() {
    (void)storeChecksum(image_, CalcChecksum(image_).computed());  // the image always holds a header
}

void HeaderDocument::applyEdits(const ProgressFn& progress) {
    std::int64_t step = 0;
    for (const FieldSpec& s : kFieldSpecs) {
        const std::size_t i = index(s.field);
        if (changed_[i]) writeTextField(image_, s.where, pending_[i]);
        changed_[i] = false;
        pending_[i].clear();
        (void)keepGoing(progress, ++step, kFieldCount);
    }
}

Result<void> HeaderDocument::save(const std::filesystem::path& path) {
    applyEdits();
    const std::filesystem::path target = path.empty() ? path_ : path;
    if (auto written = WriteRomImage(target, image_); !written) return written;
    path_ = target;
    return Done{};
}

}  // namespace vantorel::rom
