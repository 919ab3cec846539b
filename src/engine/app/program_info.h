#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantorel::app {

// The text that --help or --version asks for (the first of them among the arguments), or
// nothing when the program should start as usual. Either one ends the program at once.
std::optional<std::string> infoOptionText(const std::vector<std::string_view>& arguments);

std::string usageText();
std::string versionLine();

}  // namespace vantorel::app
