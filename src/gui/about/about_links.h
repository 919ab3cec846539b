#pragma once

#include <array>

namespace vantorel::gui::about_links {

// The about box's mail address and its five web links: three community sites about the
// console, then the project's own home page and forums.
inline constexpr const char* kMail = "vantorel@vantorel.org";

struct WebLink {
    const char* name;  // shown as it stands for the community sites; 3 and 4 are translated
    const char* url;
};

inline constexpr std::array<WebLink, 5> kWeb = {{
    {"Sega Retro", "https://segaretro.org/"},
    {"Plutiedev", "https://plutiedev.com/"},
    {"SpritesMind", "https://gendev.spritesmind.net/"},
    {"ID_MIO_DOTCOM", "https://vantorel.org/"},
    {"ID_FORUMS", "https://vantorel.org/forums/"},
}};

inline constexpr const char* kCopyright = "Copyright (C) 2004-2026 The Vantorel developers";

}  // namespace vantorel::gui::about_links
