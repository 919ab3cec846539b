#include "engine/launcher/launch_plan.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "engine/common/settings.h"
#include "engine/launcher/key_string.h"

namespace vantorel::launcher {
namespace {
constexpr const char* kSource = "prVantor.frmLauncher.LaunchEmulator";
}

std::string_view settingsKey(Emulator e) {
    switch (e) {
        case Emulator::Gens:
            return settings::key::Gens;
        case Emulator::Kega:
            return settings::key::Kega;
        case Emulator::Ages:
            return settings::key::Ages;
        case Emulator::Xega:
            return settings::key::Xega;
        case Emulator::DGen:
            return settings::key::DGen;
        case Emulator::Otro:
            return settings::key::Otro;
    }
    return {};
}

LaunchPlan planForNamedEmulator(Emulator e, const std::string& romPath) {
    LaunchPlan p;
    p.romArgument = romPath;
    if (e == Emulator::Kega) {
        p.byKeys = true;
        p.keySequence = "^g";
    }
    return p;
}

OtherEmulatorSettings readOtherEmulatorSettings(const std::filesystem::path& file) {
    using namespace settings;
    return {read(file, section::Emuladores, key::ConTeclas),
            read(file, section::Emuladores, key::LineaDeComandos),
            read(file, section::Emuladores, key::OtroEnDOS), read(file, section::Emuladores, key::Teclas)};
}

LaunchPlan planForOtherEmulator(const OtherEmulatorSettings& s, const std::string& romPath) {
    LaunchPlan p;
    if (settingNumber(s.conTeclas) != 0) {
        p.byKeys = true;
        p.keySequence = keySequenceFor(readKeyString(s.teclas));
        p.romArgument = romPath;
    } else if (settingNumber(s.lineaDeComandos) != 0) {
        p.romArgument = settingNumber(s.otroEnDos) == 1 ? dosPath(romPath) : romPath;
    } else {
        p.run = false;
    }
    return p;
}

LaunchPlan planFor(Emulator e, const std::string& romPath, const std::filesystem::path& settingsFile) {
    if (e == Emulator::Otro) return planForOtherEmulator(readOtherEmulatorSettings(settingsFile), romPath);
    return planForNamedEmulator(e, romPath);
}

std::string dosPath(const std::string& path) {
    if (path.empty()) return {};
    std::error_code ec;
    return std::filesystem::exists(path, ec) ? path : std::string();
}

std::string emulatorFolder(const std::string& emulatorPath) {
    const std::size_t slash = emulatorPath.rfind('/');
    return slash == std::string::npos ? std::string() : emulatorPath.substr(0, slash + 1);
}

bool isWindowsProgram(std::string_view path) {
    if (path.size() < 4) return false;
    std::string_view ext = path.substr(path.size() - 4);
    return ext[0] == '.' && std::tolower(static_cast<unsigned char>(ext[1])) == 'e' &&
           std::tolower(static_cast<unsigned char>(ext[2])) == 'x' &&
           std::tolower(static_cast<unsigned char>(ext[3])) == 'e';
}

Result<ProcessCommand> commandFor(const std::string& emulatorPath, const std::vector<std::string>& arguments,
                                  const std::string& winePath) {
    ProcessCommand c;
    c.workingFolder = emulatorFolder(emulatorPath);
    if (isWindowsProgram(emulatorPath)) {
        if (winePath.empty())
            return Error(ErrorCategory::Launch, error::kNoWine, kSource,
                         "\"" + emulatorPath +
                             "\" is a Windows program, and wine, which runs it, "
                             "was not found on the PATH",
                         {emulatorPath});
        c.program = winePath;
        c.arguments.push_back(emulatorPath);
    } else {
        c.program = emulatorPath;
    }
    c.arguments.insert(c.arguments.end(), arguments.begin(), arguments.end());
    return c;
}

Result<std::vector<KeyAction>> keyActionsFor(const LaunchPlan& plan) {
    if (plan.keySequence.empty())
        return Error(ErrorCategory::Launch, error::kNoKey, kSource,
                     "No open-file key is set for this emulator; choose one in the setup window");
    auto parsed = parseSendKeys(plan.keySequence);
    if (!parsed) return parsed.error();
    std::vector<KeyAction> actions = std::move(parsed).value();
    if (!plan.romArgument.empty()) actions.push_back({KeyAction::Kind::Text, plan.romArgument});
    actions.push_back({KeyAction::Kind::Chord, "Return"});
    return actions;
}

}  // namespace vantorel::launcher
