// The language files shipped with the program must give every text the program reads.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/archive/archive_reader.h"
#include "engine/common/error.h"
#include "engine/common/file_io.h"
#include "engine/common/ini.h"
#include "engine/common/settings.h"
#include "engine/common/text.h"
#include "engine/convert/naming.h"
#include "engine/convert/smd.h"
#include "engine/lang/catalogue.h"
#include "engine/launcher/launch_plan.h"
#include "engine/patch/ips.h"
#include "engine/patch/patch_types.h"
#include "engine/rom/header.h"
#include "engine/rom/header_document.h"
#include "engine/rom/rom_range.h"
#include "engine/support/temp_folder.h"

namespace vantorel::lang {
namespace {

namespace fs = std::filesystem;

struct Entry {
    const char* section;
    const char* key;
    std::vector<const char*> markers;  // placeholders the text must hold
};

// Every section and key the windows and the region control read.
const std::vector<Entry> kWindowVocabulary = {
    {"mdMain", "cmdTools", {}},
    {"mdMain", "mnuArch", {}},
    {"mdMain", "mnuArchIdioma", {}},
    {"mdMain", "mnuArchQuit", {}},
    {"mdMain", "mnuAyuda", {}},
    {"mdMain", "mnuAyudaAcerca", {}},
    {"mdMain", "shConvert", {}},
    {"mdMain", "shEdit", {}},
    {"mdMain", "shIPS", {}},
    {"mdMain", "shRun", {}},
    {"mdMain", "shMake", {}},

    {"frmIdioma", "Caption", {}},
    {"frmIdioma", "IDOK", {}},
    {"frmIdioma", "IDCANCEL", {}},
    {"frmIdioma", "Msg1", {}},
    {"frmIdioma", "Msg2", {}},

    {"frmSplash", "lblCompany", {}},
    {"frmSplash", "lblVersion", {}},
    {"frmSplash", "lblPlatform", {}},
    {"frmSplash", "lblKey", {}},

    {"frmHeadEdit", "Caption", {}},
    {"frmHeadEdit", "cmdPlay", {}},
    {"frmHeadEdit", "fRom", {}},
    {"frmHeadEdit", "cmdRec", {}},
    {"frmHeadEdit", "cmdRecComo", {}},
    {"frmHeadEdit", "cmdExit", {}},
    {"frmHeadEdit", "frmRhe", {}},
    {"frmHeadEdit", "fZone", {}},
    {"frmHeadEdit", "fDevice", {}},
    {"frmHeadEdit", "lblIdentity", {"%1", "%2", "%3", "%4"}},

    {"sName", "0", {}},
    {"sName", "1", {}},
    {"sName", "2", {}},
    {"sName", "3", {}},
    {"sName", "4", {}},
    {"sName", "5", {}},

    {"chkDev", "0", {}},
    {"chkDev", "1", {}},
    {"chkDev", "2", {}},
    {"chkDev", "3", {}},
    {"chkDev", "4", {}},
    {"chkDev", "5", {}},
    {"chkDev", "6", {}},
    {"chkDev", "7", {}},
    {"chkDev", "8", {}},
    {"chkDev", "9", {}},
    {"chkDev", "10", {}},
    {"chkDev", "11", {}},
    {"chkDev", "12", {}},
    {"chkDev", "13", {}},

    {"frmRomConv", "Caption", {}},
    {"frmRomConv", "cmdRunOut", {}},
    {"frmRomConv", "cmdBIN2SMD", {}},
    {"frmRomConv", "cmdSMD2BIN", {}},
    {"frmRomConv", "lbOrgBin", {}},
    {"frmRomConv", "lbOrgSMD", {}},
    {"frmRomConv", "lbDestSMD", {}},
    {"frmRomConv", "lbDestBin", {}},

    {"frmIPSPatcher", "Caption", {}},
    {"frmIPSPatcher", "cmdClose", {}},
    {"frmIPSPatcher", "cmdPatch", {}},
    {"frmIPSPatcher", "fPatch", {}},
    {"frmIPSPatcher", "chkData", {}},
    {"frmIPSPatcher", "lblOriginal", {}},
    {"frmIPSPatcher", "lblPatch", {}},
    {"frmIPSPatcher", "lblPatched", {}},
    {"frmIPSPatcher", "lblInfo", {}},

    {"frmMakePatch", "Caption", {}},
    {"frmMakePatch", "fMake", {}},
    {"frmMakePatch", "lblOrig", {}},
    {"frmMakePatch", "lblMod", {}},
    {"frmMakePatch", "lblPatchOut", {}},
    {"frmMakePatch", "fFormat", {}},
    {"frmMakePatch", "optIps", {}},
    {"frmMakePatch", "optBps", {}},
    {"frmMakePatch", "cmdMake", {}},
    {"frmMakePatch", "cmdClose", {}},
    {"frmMakePatch", "lblInfo", {}},

    {"frmLauncher", "Caption", {}},
    {"frmLauncher", "cmdSetup", {}},
    {"frmLauncher", "fRom", {}},
    {"frmLauncher", "cmdExit", {}},
    {"frmLauncher", "fEmus", {}},
    {"frmLauncher", "cmdOtro", {}},
    {"frmLauncher", "lblExternal", {}},

    {"frmSetup", "Caption", {}},
    {"frmSetup", "fRoms", {}},
    {"frmSetup", "fPath", {}},
    {"frmSetup", "fExtOpt", {}},
    {"frmSetup", "optByKeys", {}},
    {"frmSetup", "optByCommand", {}},
    {"frmSetup", "chkDOSEmu", {}},
    {"frmSetup", "lbOtro", {}},
    {"frmSetup", "IDOK", {}},
    {"frmSetup", "IDCANCEL", {}},

    {"frmAcercaDe", "Caption", {}},
    {"frmAcercaDe", "lblTransBy", {}},
    {"frmAcercaDe", "lblPlatform", {}},
    {"frmAcercaDe", "lblVersion", {}},
    {"frmAcercaDe", "lblCompany", {}},
    {"frmAcercaDe", "fApp", {}},
    {"frmAcercaDe", "lbMem", {}},
    {"frmAcercaDe", "lbWin", {}},
    {"frmAcercaDe", "lbRom", {}},
    {"frmAcercaDe", "lbDir", {}},
    {"frmAcercaDe", "cmdCredits", {}},
    {"frmAcercaDe", "fWeb", {}},
    {"frmAcercaDe", "IDOK", {}},
    {"frmAcercaDe", "lblWeb(3)", {}},
    {"frmAcercaDe", "lblWeb(4)", {}},

    {"RegCodes", "chkUSAOld", {}},
    {"RegCodes", "chkEurOld", {}},
    {"RegCodes", "chkJapOld", {}},
    {"RegCodes", "chkOVPAL", {}},
    {"RegCodes", "chkJapPAL", {}},
    {"RegCodes", "chkOVNTSC", {}},
    {"RegCodes", "chkJapNTSC", {}},
    {"RegCodes", "chkLicModel(0)", {}},
    {"RegCodes", "chkLicModel(1)", {}},

};

// The placeholders each message must hold; messages not named here hold none.
const std::map<std::string_view, std::vector<const char*>> kMessageMarkers = {
    {"AppMsg", {"%v"}},
    {"ReadyToEdit", {"%r"}},
    {"ReadyToRun", {"%r"}},
    {"SavedAsMsg", {"%r"}},
    {"NoRunMsg", {"%p"}},
    {"DstMsg", {"%r"}},
    {"RunApp", {"%p"}},
    {"RunRom", {"%p", "%r"}},
    {"MainExe", {"%p"}},
    {"SelExe", {"%p"}},
    {"MemStat", {"%t", "%f"}},
    {"Patching", {"%s"}},
    {"CNVStopped", {"%1", "%2"}},
    {"PatchInfoIps", {"%1"}},
    {"PatchInfoBps", {"%1", "%2", "%3", "%4"}},
    {"PatchInfoUps", {"%1", "%2", "%3", "%4"}},
    {"MakingPatch", {"%1"}},
    {"PatchMade", {"%1", "%2", "%3", "%4"}},
};

// The failures the windows put in words (section Errors), keyed by category and number as
// the engine gives them, with the details each text must hold. System failures keep the
// system's own text and need none.
struct ErrorText {
    ErrorCategory category;
    int number;
    std::vector<const char*> markers;
};
const std::vector<ErrorText> kErrorTexts = {
    {ErrorCategory::File, file_error::kNotRegularFile, {"%1"}},
    {ErrorCategory::File, file_error::kTooLarge, {"%1", "%2", "%3"}},
    {ErrorCategory::File, file_error::kFolderNotWritable, {"%1", "%2"}},
    {ErrorCategory::File, file_error::kCannotRead, {"%1", "%2"}},
    {ErrorCategory::File, file_error::kCannotWrite, {"%1", "%2"}},
    {ErrorCategory::File, convert::kErrSharedDestination, {"%1", "%2", "%3"}},
    {ErrorCategory::File, convert::kErrDestinationIsSource, {"%1", "%2", "%3"}},
    {ErrorCategory::Format, convert::kErrEmptySource, {}},
    {ErrorCategory::Format, convert::kErrNoBlocks, {}},
    {ErrorCategory::Format, convert::kErrTruncatedSource, {"%1", "%2"}},
    {ErrorCategory::Format, convert::kErrSameFile, {}},
    {ErrorCategory::Format, convert::kErrTooLarge, {}},
    {ErrorCategory::Format, rom::kErrTooShortForHeader, {"%1", "%2"}},
    {ErrorCategory::Format, rom::kErrFieldTooLong, {"%1", "%2", "%3"}},
    {ErrorCategory::Format, rom::kErrNotLatin1, {"%1"}},
    {ErrorCategory::Format, rom::kErrRomEndOutOfRange, {"%1"}},
    {ErrorCategory::Patch, patch::kDamagedIpsError, {"%1", "%2"}},
    {ErrorCategory::Patch, patch::kEmptyFileError, {"%1"}},
    {ErrorCategory::Patch, patch::kUnknownPatchError, {}},
    {ErrorCategory::Patch, patch::kNotBpsError, {}},
    {ErrorCategory::Patch, patch::kNotUpsError, {}},
    {ErrorCategory::Patch, patch::kTruncatedPatchError, {"%1"}},
    {ErrorCategory::Patch, patch::kPatchChecksumError, {"%1", "%2"}},
    {ErrorCategory::Patch, patch::kOffsetOutOfRangeError, {"%1"}},
    {ErrorCategory::Patch, patch::kMalformedPatchError, {"%1"}},
    {ErrorCategory::Patch, patch::kWrongImageError, {"%1", "%2", "%3", "%4"}},
    {ErrorCategory::Patch, patch::kSmdHeaderImageError, {"%1", "%2", "%3", "%4"}},
    {ErrorCategory::Patch, patch::kSmdLayoutImageError, {"%1", "%2", "%3", "%4"}},
    {ErrorCategory::Patch, patch::kTargetChecksumError, {"%1", "%2"}},
    {ErrorCategory::Patch, patch::kResultTooLargeError, {"%1", "%2"}},
    {ErrorCategory::Patch, patch::kIpsTooLargeError, {"%1", "%2"}},
    {ErrorCategory::Patch, patch::kIpsUnrepresentableError, {"%1"}},
    {ErrorCategory::Patch, patch::kMakeInputTooLargeError, {"%1"}},
    {ErrorCategory::Patch, patch::kIpsSizeTooLargeError, {"%1"}},
    {ErrorCategory::Launch, launcher::error::kBadKeyNotation, {"%1", "%2"}},
    {ErrorCategory::Launch, launcher::error::kNoWine, {"%1"}},
    {ErrorCategory::Launch, launcher::error::kNoDisplay, {}},
    {ErrorCategory::Launch, launcher::error::kNoWindow, {"%1", "%2"}},
    {ErrorCategory::Launch, launcher::error::kKeysFailed, {"%1"}},
    {ErrorCategory::Launch, launcher::error::kNoKey, {}},
    {ErrorCategory::Launch, launcher::error::kNoKeyInjection, {}},
    {ErrorCategory::Launch, launcher::error::kFocusRefused, {}},
    {ErrorCategory::Settings, settings::kWriteFailed, {"%1", "%2"}},
    {ErrorCategory::Archive, archive::archive_error::kDamaged, {"%1", "%2"}},
    {ErrorCategory::Archive, archive::archive_error::kEntryTooLarge, {"%1", "%2"}},
    {ErrorCategory::Archive, archive::archive_error::kEncrypted, {"%1"}},
    {ErrorCategory::Archive, archive::archive_error::kSeveralImages, {"%*"}},
    {ErrorCategory::Archive, archive::archive_error::kNoSuchEntry, {"%1", "%2"}},
    {ErrorCategory::Archive, archive::archive_error::kNoImage, {"%*"}},
    {ErrorCategory::Archive, archive::archive_error::kNotAnArchive, {"%1"}},
    {ErrorCategory::Archive, archive::archive_error::kTooManyEntries, {"%1", "%2"}},
};

std::string errorKey(const ErrorText& e) {
    return std::string(categoryName(e.category)) + std::to_string(e.number);
}

// Every section and key the program reads: the windows' captions above, every message of
// the catalogue, every error text, and the language's locale for Qt's own windows.
std::vector<Entry> vocabulary() {
    std::vector<Entry> all = kWindowVocabulary;
    all.push_back({"Language", "Locale", {}});
    static std::vector<std::string> errorKeys;
    errorKeys.clear();
    errorKeys.reserve(kErrorTexts.size());
    for (const ErrorText& e : kErrorTexts) {
        errorKeys.push_back(errorKey(e));
        all.push_back({"Errors", errorKeys.back().c_str(), e.markers});
    }
    for (std::string_view key : kMessageKeys) {
        const auto markers = kMessageMarkers.find(key);
        all.push_back({"Msgs", key.data(),
                       markers == kMessageMarkers.end() ? std::vector<const char*>{} : markers->second});
    }
    return all;
}
const std::vector<Entry> kVocabulary = vocabulary();

const char* const kMarkers[] = {"%v", "%r", "%p", "%s", "%t", "%f", "%1", "%2", "%3", "%4", "%*"};

fs::path sourceLangFile(const std::string& name) {
    return fs::path(VANTOREL_SOURCE_DIR) / "lang" / name;
}

// section -> keys, in file order, with the spelling of the file (comments and blank lines skipped).
std::map<std::string, std::vector<std::string>> keysOf(const std::string& contents) {
    std::map<std::string, std::vector<std::string>> out;
    std::string section;
    std::size_t pos = 0;
    while (pos <= contents.size()) {
        std::size_t end = contents.find('\n', pos);
        if (end == std::string::npos) end = contents.size();
        const std::string line = text::trim(std::string_view(contents).substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            section = line.substr(1, line.find(']') - 1);
            out[section];
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos) out[section].push_back(text::trim(line.substr(0, eq)));
    }
    return out;
}

TEST(Vocabulary, ErrorKeysAreUnique) {
    std::set<std::string> keys;
    for (const ErrorText& e : kErrorTexts) EXPECT_TRUE(keys.insert(errorKey(e)).second) << errorKey(e);
}

TEST(ShippedLanguages, NameTheirLocale) {
    EXPECT_EQ(ReadIniValue(sourceLangFile("English.idi"), "Language", "Locale"), "en");
    EXPECT_EQ(ReadIniValue(sourceLangFile("Espanol.idi"), "Language", "Locale"), "es");
}

TEST(Vocabulary, EveryMarkerBelongsToAMessage) {
    for (const auto& [key, markers] : kMessageMarkers)
        EXPECT_NE(std::find(kMessageKeys.begin(), kMessageKeys.end(), key), kMessageKeys.end()) << key;
}

class ShippedLanguage : public ::testing::TestWithParam<const char*> {
protected:
    fs::path file() const { return sourceLangFile(GetParam()); }
    std::string contents() const { return test::readBytes(file()); }
};

TEST_P(ShippedLanguage, IsAValidUtf8LanguageFile) {
    ASSERT_TRUE(fs::exists(file())) << file();
    EXPECT_TRUE(isLanguageFile(file()));
    EXPECT_TRUE(text::isValidUtf8(contents()));
}

TEST_P(ShippedLanguage, GivesEveryTextTheProgramReads) {
    for (const Entry& e : kVocabulary) {
        SCOPED_TRACE(std::string(e.section) + "/" + e.key);
        const std::string value = ReadIniValue(file(), e.section, e.key);
        EXPECT_FALSE(value.empty());
        // A longer text would be cut when read.
        EXPECT_LT(text::utf8Length(value), kIniValueLimit);
        for (const char* marker : kMarkers) {
            const bool wanted = std::find_if(e.markers.begin(), e.markers.end(), [&](const char* m) {
                                    return std::string_view(m) == marker;
                                }) != e.markers.end();
            // A marker the code does not replace would be shown as it stands.
            EXPECT_EQ(value.find(marker) != std::string::npos, wanted) << marker << " in \"" << value << "\"";
        }
    }
}

TEST_P(ShippedLanguage, HoldsEachSectionAndKeyOnceAndNothingUnread) {
    std::set<std::pair<std::string, std::string>> known;
    for (const Entry& e : kVocabulary)
        known.emplace(text::toLowerAscii(e.section), text::toLowerAscii(e.key));

    const auto sections = keysOf(contents());
    for (const auto& [section, keys] : sections) {
        std::set<std::string> seen;
        for (const std::string& key : keys) {
            SCOPED_TRACE(section + "/" + key);
            // Only the first of two equal keys is ever read; the second would be dead text.
            EXPECT_TRUE(seen.insert(text::toLowerAscii(key)).second);
            EXPECT_TRUE(known.count({text::toLowerAscii(section), text::toLowerAscii(key)}));
        }
    }
    std::set<std::string> sectionNames;
    for (const auto& [section, keys] : sections)
        EXPECT_TRUE(sectionNames.insert(text::toLowerAscii(section)).second);
}

// The letter a caption's "&" marks for the keyboard (lower case; "&&" is a plain "&").
std::string mnemonicOf(std::string_view caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        std::size_t length = 1;
        while (i + 1 + length < caption.size() &&
               (static_cast<unsigned char>(caption[i + 1 + length]) & 0xC0) == 0x80)
            ++length;
        return text::toLowerAscii(caption.substr(i + 1, length));
    }
    return {};
}

// What one window offers the keyboard at once: its own captions, plus the menu bar's for
// the tools that live inside the main window.
struct KeyboardWindow {
    const char* name;
    std::vector<std::pair<const char*, const char*>> captions;  // section, key ("*": every key)
};
const std::vector<KeyboardWindow> kKeyboardWindows = {
    {"menu bar", {{"mdMain", "mnuArch"}, {"mdMain", "mnuAyuda"}}},
    {"File menu", {{"mdMain", "mnuArchIdioma"}, {"mdMain", "mnuArchQuit"}}},
    {"Help menu", {{"mdMain", "mnuAyudaAcerca"}}},
    {"header editor",
     {{"mdMain", "mnuArch"},
      {"mdMain", "mnuAyuda"},
      {"frmHeadEdit", "*"},
      {"sName", "*"},
      {"RegCodes", "*"},
      {"chkDev", "*"}}},
    {"converter", {{"mdMain", "mnuArch"}, {"mdMain", "mnuAyuda"}, {"frmRomConv", "*"}}},
    {"patcher", {{"mdMain", "mnuArch"}, {"mdMain", "mnuAyuda"}, {"frmIPSPatcher", "*"}}},
    {"patch maker", {{"mdMain", "mnuArch"}, {"mdMain", "mnuAyuda"}, {"frmMakePatch", "*"}}},
    {"launcher", {{"mdMain", "mnuArch"}, {"mdMain", "mnuAyuda"}, {"frmLauncher", "*"}}},
    {"setup", {{"frmSetup", "*"}}},
    {"about box", {{"frmAcercaDe", "*"}}},
};

// Every menu, and the buttons and boxes the hands reach for, carry a letter.
const std::vector<std::pair<const char*, const char*>> kNeedMnemonics = {
    {"mdMain", "mnuArch"},           {"mdMain", "mnuArchIdioma"},   {"mdMain", "mnuArchQuit"},
    {"mdMain", "mnuAyuda"},          {"mdMain", "mnuAyudaAcerca"},  {"frmHeadEdit", "cmdPlay"},
    {"frmHeadEdit", "cmdRec"},       {"frmHeadEdit", "cmdRecComo"}, {"frmHeadEdit", "cmdExit"},
    {"frmRomConv", "cmdRunOut"},     {"frmRomConv", "cmdSMD2BIN"},  {"frmRomConv", "cmdBIN2SMD"},
    {"frmIPSPatcher", "cmdPatch"},   {"frmIPSPatcher", "cmdClose"}, {"frmIPSPatcher", "chkData"},
    {"frmMakePatch", "cmdMake"},     {"frmMakePatch", "cmdClose"},  {"frmMakePatch", "optIps"},
    {"frmMakePatch", "optBps"},      {"frmMakePatch", "lblOrig"},   {"frmMakePatch", "lblMod"},
    {"frmMakePatch", "lblPatchOut"}, {"frmLauncher", "cmdSetup"},   {"frmLauncher", "cmdExit"},
    {"frmLauncher", "cmdOtro"},      {"frmSetup", "optByKeys"},     {"frmSetup", "optByCommand"},
    {"frmSetup", "chkDOSEmu"},       {"frmAcercaDe", "cmdCredits"},
};

TEST_P(ShippedLanguage, KeyboardLettersNeverCollideInOneWindow) {
    for (const auto& [section, key] : kNeedMnemonics)
        EXPECT_FALSE(mnemonicOf(ReadIniValue(file(), section, key)).empty()) << section << "/" << key;
    for (const KeyboardWindow& w : kKeyboardWindows) {
        std::map<std::string, std::string> seen;  // letter -> where
        for (const auto& [section, key] : w.captions) {
            std::vector<std::string> keys;
            if (std::string_view(key) == "*") {
                for (const Entry& e : kVocabulary)
                    if (std::string_view(e.section) == section) keys.push_back(e.key);
            } else {
                keys.push_back(key);
            }
            for (const std::string& k : keys) {
                const std::string letter = mnemonicOf(ReadIniValue(file(), section, k));
                if (letter.empty()) continue;
                const std::string where = std::string(section) + "/" + k;
                const auto [it, fresh] = seen.emplace(letter, where);
                EXPECT_TRUE(fresh) << w.name << ": \"" << letter << "\" on " << it->second << " and "
                                   << where;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shipped, ShippedLanguage, ::testing::Values("English.idi", "Espanol.idi"),
                         [](const auto& info) { return fs::path(info.param).stem().string(); });

TEST(ShippedLanguages, AreTranslationsOfEachOther) {
    // Names and technical words (ROM, CD-ROM, Team Player...) read the same in both; a
    // file that merely copies the other's texts does not.
    std::size_t same = 0;
    for (const Entry& e : kVocabulary) {
        if (ReadIniValue(sourceLangFile("English.idi"), e.section, e.key) ==
            ReadIniValue(sourceLangFile("Espanol.idi"), e.section, e.key))
            ++same;
    }
    EXPECT_LT(same, kVocabulary.size() / 10);
    // Accented letters come through as themselves.
    EXPECT_EQ(ReadIniValue(sourceLangFile("Espanol.idi"), "frmLauncher", "cmdSetup"),
              "Con&figuraci\xC3\xB3n");
}

}  // namespace
}  // namespace vantorel::lang
