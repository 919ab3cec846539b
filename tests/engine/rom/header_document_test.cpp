#include "engine/rom/header_document.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <utility>
#include <vector>

#include "engine/support/temp_folder.h"

using namespace vantorel;
using namespace vantorel::rom;

namespace {

std::string fieldBytes(const Bytes& image, TextField where) {
    return std::string(image.begin() + where.offset, image.begin() + where.offset + where.width);
}

void putField(Bytes& image, TextField where, std::string_view bytes) {
    ASSERT_EQ(bytes.size(), where.width);
    std::copy(bytes.begin(), bytes.end(), image.begin() + where.offset);
}

std::string padded(std::string_view text, std::size_t width, char pad = '\0') {
    std::string out(text);
    out.resize(width, pad);
    return out;
}

struct FieldCase {
    const char* name;
    Field field;
    std::string stored;   // the field's bytes in the file
    std::string shown;    // what text() gives
    std::string typed;    // what the user puts in
    std::string written;  // the field's bytes after the edit is applied
};
void PrintTo(const FieldCase& c, std::ostream* os) {
    *os << c.name;
}

const std::vector<FieldCase>& fieldCases() {
    static const std::vector<FieldCase> cases = {
        {"SystemTypedAfterItsText", Field::System, std::string("SEGA\0GENESIS\0\0\0\0", 16), "SEGA", "SEGA!",
         padded("SEGA!", 16)},
        {"LegalFull", Field::Legal, "(C)SEGA 1991.APR", "(C)SEGA 1991.APR", "(C)T", padded("(C)T", 16)},
        {"DomesticEmptied", Field::Domestic, padded(std::string("SONIC\0\x01junk", 11), 48), "SONIC", "",
         std::string(48, '\0')},
        {"OverseasLatin1Full", Field::Overseas, padded("CAF\xC9", 48), "CAF\xC9", std::string(48, '\xFF'),
         std::string(48, '\xFF')},
        {"CodeStartsWithNul", Field::Code, padded(std::string("\0GM 0001", 8), 14), "", "GM 00001009-00",
         "GM 00001009-00"},
        {"CommentNulsAsBlanks", Field::Comment, padded(std::string("RA\xF8 \0\0\0modem", 12), 64),
         padded("RA\xF8    modem", 64, ' '), "EDITED", padded("EDITED", 64)},
        {"RegionThroughSetText", Field::Region, std::string("J\0U", 3), "J", "4", std::string("4\0\0", 3)},
    };
    return cases;
}

// Bytes from all over 0-255 everywhere, then every field of the table with its stored
// bytes, so each untouched field holds text, a NUL and bytes after it.
Bytes sampleImage() {
    Bytes b(0x400);
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i * 7 + 3);
    for (const FieldCase& c : fieldCases()) putField(b, specOf(c.field).where, c.stored);
    putField(b, kDevices,
             std::string("GJ\0"
                         "6 x\0\0\0\0\0\0\0\0\0\0",
                         16));
    return b;
}

HeaderDocument sampleDocument() {
    return HeaderDocument::fromImage(sampleImage(), "sample.bin").value();
}

}  // namespace

class DocumentField : public ::testing::TestWithParam<FieldCase> {};

TEST_P(DocumentField, ShowsUpToTheFirstNulAndWritesTheTypedTextZeroPadded) {
    const FieldCase& c = GetParam();
    HeaderDocument doc = sampleDocument();
    const Bytes before = doc.image();
    EXPECT_EQ(doc.text(c.field), c.shown);

    doc.applyEdits();
    EXPECT_EQ(doc.image(), before) << "nothing changed, nothing written";

    ASSERT_TRUE(doc.setText(c.field, c.typed).ok());
    for (const FieldSpec& s : kFieldSpecs) EXPECT_EQ(doc.changed(s.field), s.field == c.field) << s.name;
    EXPECT_EQ(doc.image(), before) << "an edit waits for applyEdits";

    doc.applyEdits();
    EXPECT_FALSE(doc.anyChanged());
    const TextField where = specOf(c.field).where;
    EXPECT_EQ(fieldBytes(doc.image(), where), c.written);
    Bytes expected = before;
    putField(expected, where, c.written);
    EXPECT_EQ(doc.image(), expected) << "every other field and byte goes back as it was";
    EXPECT_EQ(doc.text(c.field), shownText(c.field, c.written));
}

INSTANTIATE_TEST_SUITE_P(Table, DocumentField, ::testing::ValuesIn(fieldCases()),
                         [](const auto& info) { return std::string(info.param.name); });

struct DeviceCase {
    const char* stored;   // 16 bytes at 0x190
    const char* ticked;   // letters of the boxes ticked on load
    const char* shown;    // what text(Devices) gives
    const char* toggle;   // box letters the user flips ("" = untouched)
    const char* written;  // what applying the edits leaves at 0x190
};

class DocumentDevices : public ::testing::TestWithParam<DeviceCase> {};

TEST_P(DocumentDevices, TickBoxesAndKeepLettersNoBoxKnows) {
    const DeviceCase& c = GetParam();
    Bytes b = sampleImage();
    putField(b, kDevices, std::string(c.stored, 16));
    HeaderDocument doc = HeaderDocument::fromImage(b, {}).value();
    EXPECT_EQ(deviceLetters(doc.devices()), c.ticked);
    EXPECT_EQ(doc.text(Field::Devices), c.shown);
    DeviceBoxes boxes = doc.devices();
    for (const char* t = c.toggle; *t; ++t) {
        const auto i = std::find(kDeviceLetters.begin(), kDeviceLetters.end(), *t) - kDeviceLetters.begin();
        boxes[i] = !boxes[i];
    }
    if (*c.toggle) doc.setDevices(boxes);
    doc.applyEdits();
    EXPECT_EQ(fieldBytes(doc.image(), kDevices), std::string(c.written, 16));
    b.erase(b.begin() + kDevices.offset, b.begin() + kDevices.offset + 16);
    Bytes after = doc.image();
    after.erase(after.begin() + kDevices.offset, after.begin() + kDevices.offset + 16);
    EXPECT_EQ(after, b);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DocumentDevices,
    ::testing::Values(
        DeviceCase{"J6              ", "J6", "J6", "", "J6              "},
        DeviceCase{"M J             ", "JM", "MJ", "", "M J             "},
        DeviceCase{"M J             ", "JM", "MJ", "MM", "JM              "},
        DeviceCase{"j               ", "", "j", "", "j               "},
        DeviceCase{"JJJJ            ", "J", "JJJJ", "6", "J6              "},
        // Letters no box knows follow the box letters in their own order.
        DeviceCase{"GJAK            ", "JK", "GJAK", "4", "JK4GA           "},
        DeviceCase{"jG6             ", "6", "jG6", "6", "jG              "},
        // NULs read as nothing and come back as they were until edited.
        DeviceCase{"J\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", "J", "J", "", "J\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"},
        DeviceCase{"J\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", "J", "J", "M", "JM              "},
        DeviceCase{"0RTVCMLBFP4K6J  ", "J6KPBFL40RTVCM", "0RTVCMLBFP4K6J", "JJ", "J6KPBFL40RTVCM  "}));

TEST(HeaderDocument, ReadsEveryFieldAtItsOffsetAndWidth) {
    Bytes b(0x200, ' ');
    const std::vector<std::pair<Field, std::string>> full = {
        {Field::System, "SEGA MEGA DRIVE "},
        {Field::Legal, "(C)SEGA 1991.APR"},
        {Field::Domestic, std::string(47, 'D') + "d"},
        {Field::Overseas, std::string(47, 'O') + "o"},
        {Field::Code, "GM 00001009-00"},
        {Field::Devices, "J6"},
        {Field::Comment, std::string(63, 'c') + "C"},
        {Field::Region, "JUE"},
    };
    for (const auto& [field, text] : full)
        std::copy(text.begin(), text.end(), b.begin() + specOf(field).where.offset);
    const HeaderDocument doc = HeaderDocument::fromImage(b, {}).value();
    for (const auto& [field, text] : full) EXPECT_EQ(doc.text(field), text) << specOf(field).name;
    EXPECT_EQ(doc.region(), "JUE");
    EXPECT_EQ(deviceLetters(doc.devices()), "J6");
}

TEST(HeaderDocument, DeviceLettersTickTheirBoxesAndKeepTheOthersAfterThem) {
    HeaderDocument doc = sampleDocument();
    ASSERT_TRUE(doc.setDeviceLetters("GMxJ").ok());
    EXPECT_EQ(deviceLetters(doc.devices()), "JM");
    ASSERT_TRUE(doc.setText(Field::Devices, "6G").ok()) << "a text edit of the devices is the same";
    EXPECT_EQ(deviceLetters(doc.devices()), "6");
    doc.applyEdits();
    EXPECT_EQ(fieldBytes(doc.image(), kDevices), padded("6G", 16, ' '));
}

class TooLong : public ::testing::TestWithParam<FieldSpec> {};

// A value longer than its field is refused with the numbers it was refused for, and the
// document stays as it was.
TEST_P(TooLong, IsRefusedAndChangesNothing) {
    const FieldSpec& def = GetParam();
    HeaderDocument doc = sampleDocument();
    const std::string text = doc.text(def.field);
    const std::string width = std::to_string(def.where.width);
    const std::string tooLong(def.where.width + 1, 'A');

    const Result<void> refused = def.field == Field::Region    ? doc.setRegion(tooLong)
                                 : def.field == Field::Devices ? doc.setDeviceLetters(tooLong)
                                                               : doc.setText(def.field, tooLong);
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error().is(ErrorCategory::Format, kErrFieldTooLong));
    EXPECT_EQ(refused.error().args(),
              (std::vector<std::string>{std::string(def.name), std::to_string(def.where.width + 1), width}));
    EXPECT_FALSE(doc.anyChanged());
    EXPECT_EQ(doc.text(def.field), text);

    EXPECT_FALSE(checkFieldValue(def.field, tooLong).ok());
    EXPECT_TRUE(checkFieldValue(def.field, std::string(def.where.width, 'A')).ok());
    // Counted in characters, not in the bytes of their UTF-8 form.
    std::string widest;
    for (std::size_t i = 0; i < def.where.width; ++i) widest += "\xC3\x89";
    EXPECT_EQ(fieldValueFromUtf8(def.field, widest).value(), std::string(def.where.width, '\xC9'));
    const auto over = fieldValueFromUtf8(def.field, widest + "\xC3\x89");
    ASSERT_FALSE(over.ok());
    EXPECT_TRUE(over.error().is(ErrorCategory::Format, kErrFieldTooLong));
}

INSTANTIATE_TEST_SUITE_P(EveryField, TooLong, ::testing::ValuesIn(kFieldSpecs),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HeaderDocument, UtfEightBeyondLatin1IsRefusedNamingTheField) {
    for (const char* utf8 : {"\xE2\x82\xAC", "A\xC3", "\xFF"}) {
        const auto refused = fieldValueFromUtf8(Field::Comment, utf8);
        ASSERT_FALSE(refused.ok()) << utf8;
        EXPECT_TRUE(refused.error().is(ErrorCategory::Format, kErrNotLatin1));
        EXPECT_EQ(refused.error().args(), std::vector<std::string>{"comment"});
    }
    EXPECT_EQ(fieldValueFromUtf8(Field::Comment, "?").value(), "?");
}

TEST(HeaderDocument, FieldNamesAreTheTableOnes) {
    for (const FieldSpec& s : kFieldSpecs) {
        EXPECT_EQ(fieldNamed(s.name), s.field);
        EXPECT_EQ(&specOf(s.field), &s);
    }
    EXPECT_EQ(fieldNamed("checksum"), std::nullopt);
    EXPECT_EQ(fieldNamed("System"), std::nullopt);
}

TEST(HeaderDocument, EveryByteValueGoesThroughAnEditedField) {
    HeaderDocument doc = sampleDocument();
    for (int base = 0; base < 256; base += 64) {
        std::string text;
        for (int v = base; v < base + 64; ++v) text += static_cast<char>(v);
        ASSERT_TRUE(doc.setText(Field::Comment, text).ok());
        doc.applyEdits();
        EXPECT_EQ(fieldBytes(doc.image(), kComment), text);
    }
}

TEST(HeaderDocument, ChecksumFixChangesOnlyItsTwoBytes) {
    Bytes b = sampleImage();
    b[0x18E] = 0;
    b[0x18F] = 0;
    HeaderDocument doc = HeaderDocument::fromImage(b, {}).value();
    ASSERT_FALSE(doc.checksum().matches());
    const std::uint16_t computed = doc.checksum().computed();
    doc.fixChecksum();
    EXPECT_TRUE(doc.checksum().matches());
    EXPECT_EQ(doc.checksum().stored(), computed);
    b[0x18E] = static_cast<std::uint8_t>(computed >> 8);
    b[0x18F] = static_cast<std::uint8_t>(computed & 0xFF);
    EXPECT_EQ(doc.image(), b);
    EXPECT_FALSE(doc.anyChanged());
}

TEST(HeaderDocument, ApplyingReportsEachOfTheEightFields) {
    HeaderDocument doc = sampleDocument();
    std::vector<std::int64_t> steps;
    doc.applyEdits([&](std::int64_t done, std::int64_t total) {
        EXPECT_EQ(total, 8);
        steps.push_back(done);
        return true;
    });
    EXPECT_EQ(steps, (std::vector<std::int64_t>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(HeaderDocument, SaveToAnotherPathMovesTheDocumentThere) {
    test::TempFolder dir;
    const Bytes original = sampleImage();
    const std::string originalText(original.begin(), original.end());
    test::writeBytes(dir / "a.bin", originalText);
    auto loaded = HeaderDocument::load(dir / "a.bin");
    ASSERT_TRUE(loaded.ok()) << loaded.error().description();
    HeaderDocument doc = std::move(loaded).value();
    EXPECT_EQ(doc.image(), original);

    ASSERT_TRUE(doc.setText(Field::System, "COPY").ok());
    ASSERT_TRUE(doc.save(dir / "b.bin").ok());
    EXPECT_EQ(doc.path(), dir / "b.bin");
    EXPECT_FALSE(doc.anyChanged());
    Bytes expected = original;
    putField(expected, kSystemName, padded("COPY", 16));
    const std::string copied = test::readBytes(dir / "b.bin");
    EXPECT_EQ(Bytes(copied.begin(), copied.end()), expected);
    EXPECT_EQ(test::readBytes(dir / "a.bin"), originalText);

    // Saving again without a path goes where the document now lives.
    ASSERT_TRUE(doc.setRegion("E").ok());
    ASSERT_TRUE(doc.save().ok());
    putField(expected, kRegion, std::string("E\0\0", 3));
    const std::string resaved = test::readBytes(dir / "b.bin");
    EXPECT_EQ(Bytes(resaved.begin(), resaved.end()), expected);
    EXPECT_EQ(test::readBytes(dir / "a.bin"), originalText);
}

TEST(HeaderDocument, FilesTooShortForTheHeaderAreRefused) {
    test::TempFolder dir;
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, kHeaderMinLength - 1}) {
        const auto refused = HeaderDocument::fromImage(Bytes(size), {});
        ASSERT_FALSE(refused.ok()) << size;
        EXPECT_TRUE(refused.error().is(ErrorCategory::Format, kErrTooShortForHeader));
        EXPECT_EQ(refused.error().args(),
                  (std::vector<std::string>{std::to_string(size), std::to_string(kHeaderMinLength)}));
        test::writeBytes(dir / "short.bin", std::string(size, 'x'));
        EXPECT_FALSE(HeaderDocument::load(dir / "short.bin").ok());
    }
    EXPECT_TRUE(HeaderDocument::fromImage(Bytes(kHeaderMinLength), {}).ok());

    const auto missing = HeaderDocument::load(dir / "missing.bin");
    ASSERT_FALSE(missing.ok());
    EXPECT_TRUE(missing.error().is(ErrorCategory::System, ENOENT));
}
