#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace vantorel::cli {

// `value` on one line, spaced as `{"key": "value", "other": 1}`: one document per line
// suits scripts reading several. Text that is not UTF-8 comes out with U+FFFD in its place.
std::string jsonLine(const nlohmann::ordered_json& value);

// jsonLine and a newline on standard output.
void printJson(const nlohmann::ordered_json& value);

}  // namespace vantorel::cli
