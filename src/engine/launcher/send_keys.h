#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/common/error.h"

namespace vantorel::launcher {

// One step of typing into another program's window. A chord is pressed and released as
// a whole ("ctrl+o", "Return", in X keysym names joined by "+"); text is typed character
// by character exactly as it stands.
struct KeyAction {
    enum class Kind { Chord, Text };
    Kind kind = Kind::Text;
    std::string value;

    friend bool operator==(const KeyAction&, const KeyAction&) = default;
};

// Reads the classic key notation: "^" Ctrl, "%" Alt, "+" Shift before a key or a group in
// parentheses, "~" or "{ENTER}" Enter, "{NAME}" a named key, "{x}" the character x itself,
// "{NAME n}" the key n times. Plain characters become text; keys with modifiers and named
// keys become chords. Notation it cannot read fails (Launch, kBadKeyNotation).
Result<std::vector<KeyAction>> parseSendKeys(std::string_view notation);

// The notation that types `text` exactly: every character with a meaning in the notation
// is wrapped in braces, so parseSendKeys gives back the text unchanged.
std::string escapeForSendKeys(std::string_view text);

// The historical escaping of ROM names: "[", "]", "(" and ")" wrapped in braces, in that
// order, nothing else. Not enough for names holding + ^ % ~ or braces, which is why the
// launcher types paths as literal text instead.
std::string ValidarParaSendKeys(std::string_view text);

}  // namespace vantorel::launcher
