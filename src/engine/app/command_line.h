#pragma once

#include <string>
#include <string_view>

namespace vantorel::app {

// What the program's argument text asks for: a switch ("/c", "/p", "/h", "/l" or anything
// else, lower-cased) and the path that follows it (empty when none).
struct Command {
    std::string switchText;
    std::string path;

    bool operator==(const Command&) const = default;
};

// Reads the argument text (UTF-8, the arguments after the program joined by one blank).
// A path in double quotes loses its quotes; the switch is the first two characters; the
// path starts after the third, whatever that character is, and only when the whole text
// is longer than three characters. Positions count characters, not bytes.
Command ParseCommand(std::string_view commandLine);

// Paths here start with "/" as switches do. A text whose first word runs on past the switch
// and holds a further "/" ("/home/me/game.bin") is a path given bare, which opens nothing,
// not "/h" glued to "me/game.bin". (A switch glued to a path without a "/" in it, as in
// "/hgame.bin", keeps its design meaning.)
bool isBarePath(std::string_view commandLine);

}  // namespace vantorel::app
