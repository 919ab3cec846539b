#pragma once

#include <string>
#include <string_view>

namespace vantorel::launcher {

// The other emulator's open-file key as stored in Teclas: three flag digits (Ctrl, Alt,
// Shift; "1" held, "0" not) followed by the key, lower-cased, e.g. "100o" for Ctrl+O.
struct KeyString {
    bool ctrl = false;
    bool alt = false;
    bool shift = false;
    std::string key;  // one character (UTF-8), lower-case; empty when none is set

    friend bool operator==(const KeyString&, const KeyString&) = default;
};

// Flags from characters 1 to 3 ("1" means held), the key from the last character. A value
// shorter than four characters holds no key (the setup window never writes one).
KeyString readKeyString(std::string_view teclas);

// The stored form: the three flags as "0"/"1", then the key in lower case.
std::string BuildKeyString(bool ctrl, bool alt, bool shift, std::string_view key);

// The key notation that presses the stored chord: "^", "%", "+" as flagged, then the key.
// Empty when no key is set.
std::string keySequenceFor(const KeyString& keys);

// A settings number read the forgiving way: leading blanks, an optional sign and digits;
// anything else (or nothing) reads as 0.
long settingNumber(std::string_view value);

}  // namespace vantorel::launcher
