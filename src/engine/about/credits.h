#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vantorel::about {

// Style bits of a credit line.
inline constexpr std::uint16_t kBold = 1;
inline constexpr std::uint16_t kItalic = 2;
inline constexpr std::uint16_t kUnderline = 4;

// Horizontal placement of a credit line; any other value keeps the pen where the previous
// line left it.
inline constexpr std::int16_t kAlignCentre = 1;
inline constexpr std::int16_t kAlignRight = 2;
inline constexpr std::int16_t kAlignLeft = 3;

// A font name that keeps the font of the line before.
inline constexpr const char* kDefaultFont = "DEFAULT";

// One line of the credits show, in display order.
struct CreditLine {
    std::string text;          // UTF-8; empty for a spacer
    std::string font;          // a family, or kDefaultFont
    std::int16_t size = 12;    // points
    std::uint8_t colour = 15;  // index into kConsolePalette
    std::uint16_t style = 0;   // kBold | kItalic | kUnderline
    std::int16_t align = kAlignCentre;
    std::int16_t spacing = 0;  // pixels added to the text height to give the advance

    bool operator==(const CreditLine&) const = default;
};

// The classic 16-colour console palette as 0xRRGGBB.
inline constexpr std::array<std::uint32_t, 16> kConsolePalette = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
    0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};
// Out-of-range indexes fall back to bright white, the show's usual text colour.
std::uint32_t paletteColour(int index);

struct BuildDate {
    int year, month, day;
};
// The date the status line of the show names as the build date.
inline constexpr BuildDate kBuildDate{2004, 4, 7};

// What the closing lines of the show say about this run.
struct CreditFacts {
    std::string title;  // the program's title
    int major = 0, minor = 0, revision = 0;
    std::string buildDate;  // kBuildDate in the system's short date format
    std::uint64_t pid = 0;
    std::string programFolder;
};

// Upper-case hexadecimal without leading zeros ("0" for zero).
std::string hexUpper(std::uint64_t value);

// "v1.0 Build 0 (07/04/2004)"
std::string versionLine(const CreditFacts& facts);
// "PID=1A2B ProcessPath=/opt/vantorel"
std::string processLine(const CreditFacts& facts);

// Every line of the show: title, rule, the seven sections and the two status lines.
std::vector<CreditLine> buildCreditLines(const CreditFacts& facts);

// The section headings, in display order.
inline constexpr std::array<const char*, 7> kCreditHeadings = {
    "Programador principal", "Desarrollado en",
    "Traducciones",          "Testers",
    "Agradecimientos",       "Agradecimientos especiales / Special thanks to:",
    "M\xC3\xBAsica",
};

}  // namespace vantorel::about
