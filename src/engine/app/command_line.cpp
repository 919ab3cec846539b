#include "engine/app/command_line.h"

#include <vector>

namespace vantorel::app {
namespace {

// The text split into characters, so positions and lengths count characters as the
// command-line rules do, and no multi-byte character is ever cut in half.
std::vector<std::string_view> characters(std::string_view utf8) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (std::size_t i = 1; i <= utf8.size(); ++i) {
        if (i == utf8.size() || (static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) {
            out.push_back(utf8.substr(start, i - start));
            start = i;
        }
    }
    return out;
}

std::string join(const std::vector<std::string_view>& chars, std::size_t from, std::size_t count) {
    std::string s;
    for (std::size_t i = from; i < chars.size() && i < from + count; ++i) s += chars[i];
    return s;
}

}  // namespace

Command ParseCommand(std::string_view commandLine) {
    const std::vector<std::string_view> c = characters(commandLine);
    const std::size_t n = c.size();

    std::vector<std::string_view> w = c;
    if (n > 0 && c[n - 1] == "\"") {
        std::size_t q = 0;  // 1-based position of the first quote before the final one
        for (std::size_t i = 0; i + 1 < n; ++i) {
            if (c[i] == "\"") {
                q = i + 1;
                break;
            }
        }
        w.clear();
        if (q > 0) {
            // The first three characters, then everything between the first quote and the last.
            for (std::size_t i = 0; i < 3 && i < n; ++i) w.push_back(c[i]);
            for (std::size_t i = q; i < n - 1; ++i) w.push_back(c[i]);
        } else {
            w.assign(c.begin(), c.end() - 1);
        }
    }

    Command cmd;
    for (std::size_t i = 0; i < 2 && i < w.size(); ++i) cmd.switchText += w[i];
    // ASCII capitals only: a byte A-Z is never part of a multi-byte character.
    for (char& ch : cmd.switchText)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    if (n > 3) cmd.path = join(w, 3, w.size());
    return cmd;
}

bool isBarePath(std::string_view commandLine) {
    if (commandLine.size() < 3 || commandLine[0] != '/' || commandLine[1] == ' ' || commandLine[2] == ' ')
        return false;
    const std::string_view firstWord = commandLine.substr(0, commandLine.find(' '));
    return firstWord.find('/', 2) != std::string_view::npos;
}

}  // namespace vantorel::app
