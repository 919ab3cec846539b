#include "cli/json_output.h"

#include <iostream>

namespace vantorel::cli {

std::string jsonLine(const nlohmann::ordered_json& value) {
    // Indent 0 puts every member on a line of its own with ": " after the key; a JSON
    // string never holds a raw line break, so folding the breaks leaves the text intact.
    const std::string lines = value.dump(0, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    std::string out;
    out.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] != '\n') {
            out += lines[i];
        } else if (i > 0 && lines[i - 1] == ',') {
            out += ' ';
        }
    }
    return out;
}

void printJson(const nlohmann::ordered_json& value) {
    std::cout << jsonLine(value) << '\n';
}

}  // namespace vantorel::cli
