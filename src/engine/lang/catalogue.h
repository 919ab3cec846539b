#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vantorel::lang {

// The message keys of section Msgs, in the order the catalogue loads them: the design's 49
// first, then the ones added since. This list is the only place a key is written; the
// enum, the key table and the tests derive from it.
// clang-format off
#define VANTOREL_MESSAGE_KEYS(X)                                                                    \
    X(AppMsg) X(BadChecksum) X(WarningChecksum1) X(WarningChecksum2) X(ReadyToEdit) X(ReadyToRun)   \
    X(OverwriteMSG) X(SavedAsMsg) X(ErrString) X(NoIni1) X(NoIni2) X(NoRunMsg)                      \
    X(SelRomErr) X(SelDestErr) X(CNVProg) X(OKCNV) X(ErrCNV) X(DstMsg)                              \
    X(CantCNV1) X(CantCNV2) X(RunApp) X(RunRom) X(WantExit) X(Goodbye)                              \
    X(RomFolder) X(MainExe) X(EXEs) X(SelExe) X(AllFiles) X(SelOtroEmu)                             \
    X(BinFile) X(SMDRom) X(AllRoms) X(ZippedRoms) X(Patches) X(SelIPSBox)                           \
    X(SelRomBox) X(SaveRF) X(LoadBinT) X(SaveCNV) X(MemStat) X(SelRomPErr)                          \
    X(SelIPSPErr) X(SelDstPErr) X(SelChunkErr) X(CantPatch) X(Patching) X(PatchedOK)                \
    X(InvalidIPS)                                                                                   \
    X(CNVStopped) X(ChooseEntry) X(ArchiveSaveAs) X(SmdInEditor) X(SrcLooksSmd) X(SrcLooksBin)      \
    X(PatchInfoIps) X(PatchInfoBps) X(PatchInfoUps) X(SelOrigMkErr) X(SelModMkErr) X(SelPatchMkErr) \
    X(PatchOverInput) X(SavePatchAs) X(BpsPatches) X(CantMakePatch) X(MakingPatch) X(PatchMade)
// clang-format on

enum class Msg {
#define VANTOREL_MESSAGE_ENUM(name) name,
    VANTOREL_MESSAGE_KEYS(VANTOREL_MESSAGE_ENUM)
#undef VANTOREL_MESSAGE_ENUM
};

inline constexpr std::array kMessageKeys = {
#define VANTOREL_MESSAGE_NAME(name) std::string_view(#name),
    VANTOREL_MESSAGE_KEYS(VANTOREL_MESSAGE_NAME)
#undef VANTOREL_MESSAGE_NAME
};

inline constexpr std::size_t kMessageCount = kMessageKeys.size();

// The design's own keys come first; the ones after them were added by this program.
inline constexpr std::size_t kDesignMessageCount = 49;

constexpr std::string_view keyOf(Msg m) {
    return kMessageKeys[static_cast<std::size_t>(m)];
}

// The texts of one language, loaded whole from section Msgs and kept until the next load.
class Catalogue {
public:
    // Reads every key in table order; missing keys give empty texts.
    void load(const std::filesystem::path& languageFile);
    void clear();

    const std::string& text(Msg m) const { return texts_[static_cast<std::size_t>(m)]; }
    // The text with every occurrence of `marker` replaced by `value`.
    std::string text(Msg m, std::string_view marker, std::string_view value) const;

    // For tests and tools that build a catalogue by hand.
    void set(Msg m, std::string value) { texts_[static_cast<std::size_t>(m)] = std::move(value); }

private:
    std::array<std::string, kMessageCount> texts_;
};

// A file is a language file when Msgs/AppMsg is not empty.
bool isLanguageFile(const std::filesystem::path& file);

// The .idi files of a folder, sorted by name.
std::vector<std::filesystem::path> listLanguageFiles(const std::filesystem::path& folder);

// AppMsg's "%v": major.minor.revision in plain decimal.
std::string versionText();

}  // namespace vantorel::lang
