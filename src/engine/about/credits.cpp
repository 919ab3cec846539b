#include "engine/about/credits.h"

#include <cstdio>

namespace vantorel::about {

std::uint32_t paletteColour(int index) {
    if (index < 0 || index >= static_cast<int>(kConsolePalette.size())) return kConsolePalette[15];
    return kConsolePalette[static_cast<std::size_t>(index)];
}

std::string hexUpper(std::uint64_t value) {
    char buf[20];
    std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(value));
    return buf;
}

std::string versionLine(const CreditFacts& f) {
    return "v" + std::to_string(f.major) + "." + std::to_string(f.minor) + " Build " +
           std::to_string(f.revision) + " (" + f.buildDate + ")";
}

std::string processLine(const CreditFacts& f) {
    return "PID=" + hexUpper(f.pid) + " ProcessPath=" + f.programFolder;
}

namespace {

constexpr const char* kArial = "Arial";

CreditLine line(std::string text, std::int16_t size, std::uint16_t style, std::int16_t spacing,
                std::uint8_t colour = 15) {
    return CreditLine{std::move(text), kArial, size, colour, style, kAlignCentre, spacing};
}

void heading(std::vector<CreditLine>& out, const char* text) {
    out.push_back(line(text, 12, kBold, 2));
}

void spacer(std::vector<CreditLine>& out, bool large) {
    out.push_back(large ? line({}, 16, 0, 10) : line({}, 10, kBold, 10));
}

}  // namespace

std::vector<CreditLine> buildCreditLines(const CreditFacts& facts) {
    std::vector<CreditLine> out;
    out.push_back(line(facts.title, 36, kBold, -5));
    out.push_back(line("Creditos - Credits", 11, 0, -5));
    out.push_back(line(std::string(50, '='), 12, kBold, 3));
    spacer(out, false);

    heading(out, kCreditHeadings[0]);
    out.push_back(line("The Vantorel developers", 12, 0, 3));
    spacer(out, false);

    heading(out, kCreditHeadings[1]);
    out.push_back(line("C++20 and Qt 6 Widgets", 12, 0, 3));
    out.push_back(line("Debian GNU/Linux", 12, 0, 3));
    out.push_back(line("CMake, GoogleTest and FluidSynth", 12, 0, 3));
    spacer(out, false);

    heading(out, kCreditHeadings[2]);
    out.push_back(line("English - The Vantorel developers", 12, 0, 3));
    out.push_back(line("Espa\xC3\xB1ol - The Vantorel developers", 12, 0, 3));
    spacer(out, false);

    heading(out, kCreditHeadings[3]);
    out.push_back(line("Everyone who reported a bug", 12, 0, 3));
    out.push_back(line("and everyone who tried a nightly build", 12, 0, 3));
    spacer(out, true);

    heading(out, kCreditHeadings[4]);
    out.push_back(line("The Sega Genesis / Mega Drive homebrew community", 12, 0, 2));
    out.push_back(line("Sega Retro", 12, kItalic, 2));
    out.push_back(line("Plutiedev", 12, kItalic, 2));
    out.push_back(line("SpritesMind", 12, kItalic, 2));
    out.push_back(line("for years of shared documentation on the hardware", 12, 0, 2));
    spacer(out, true);

    heading(out, kCreditHeadings[5]);
    out.push_back(line("The Qt Project", 12, kItalic | kUnderline, 2));
    out.push_back(line("for the toolkit every window stands on", 12, 0, 2));
    out.push_back(line("The FluidSynth developers", 12, kItalic | kUnderline, 2));
    out.push_back(line("for the synthesiser that plays this tune", 12, 0, 2));
    out.push_back(line("The Debian project", 12, kItalic | kUnderline, 2));
    out.push_back(line("for the General MIDI sound font", 12, 0, 2));
    out.push_back(line("and you, for reading this far", 12, 0, 2));
    spacer(out, true);

    heading(out, kCreditHeadings[6]);
    out.push_back(line("\"Cartridge Morning\"", 12, kItalic, 2));
    out.push_back(line("composed for Vantorel by its developers", 12, 0, 2));
    spacer(out, true);

    out.push_back(line("Made by the Vantorel developers", 10, kBold, 3));
    out.push_back(line({}, 14, kBold, 10));
    out.push_back(line(versionLine(facts), 10, kItalic, 2, 14));
    out.push_back(line(processLine(facts), 8, kItalic, 2, 10));
    return out;
}

}  // namespace vantorel::about
