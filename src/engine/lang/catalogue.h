#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vantorel::lang {

// The message keys of section Msgs, in the order the catalogue loads them.
enum class Msg {
    AppMsg, BadChecksum, WarningChecksum1, WarningChecksum2, ReadyToEdit, ReadyToRun,
    OverwriteMSG, SavedAsMsg, ErrString, NoIni1, NoIni2, NoRunMsg, SelRomErr, SelDestErr,
    CNVProg, OKCNV, ErrCNV, DstMsg, CantCNV1, CantCNV2, RunApp, RunRom, WantExit, Goodbye,
    RomFolder, MainExe, EXEs, SelExe, AllFiles, SelOtroEmu, BinFile, SMDRom, AllRoms,
    ZippedRoms, Patches, SelIPSBox, SelRomBox, SaveRF, LoadBinT, SaveCNV, MemStat,
    SelRomPErr, SelIPSPErr, SelDstPErr, SelChunkErr, CantPatch, Patching, PatchedOK,
    InvalidIPS,
};

inline constexpr std::size_t kMessageCount = 49;

inline constexpr std::array<std::string_view, kMessageCount> kMessageKeys = {
    "AppMsg", "BadChecksum", "WarningChecksum1", "WarningChecksum2", "ReadyToEdit", "ReadyToRun",
    "OverwriteMSG", "SavedAsMsg", "ErrString", "NoIni1", "NoIni2", "NoRunMsg", "SelRomErr", "SelDestErr",
    "CNVProg", "OKCNV", "ErrCNV", "DstMsg", "CantCNV1", "CantCNV2", "RunApp", "RunRom", "WantExit", "Goodbye",
    "RomFolder", "MainExe", "EXEs", "SelExe", "AllFiles", "SelOtroEmu", "BinFile", "SMDRom", "AllRoms",
    "ZippedRoms", "Patches", "SelIPSBox", "SelRomBox", "SaveRF", "LoadBinT", "SaveCNV", "MemStat",
    "SelRomPErr", "SelIPSPErr", "SelDstPErr", "SelChunkErr", "CantPatch", "Patching", "PatchedOK",
    "InvalidIPS",
};

constexpr std::string_view keyOf(Msg m) { return kMessageKeys[static_cast<std::size_t>(m)]; }

// The texts of one language, loaded whole from section Msgs and kept until the next load.
class Catalogue {
public:
    // Reads every key in table order; missing keys give empty texts. Returns the keys in
    // the order they were read (tests check the order).
    std::vector<std::string_view> load(const std::filesystem::path& languageFile);
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
