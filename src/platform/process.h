#pragma once

#include <string>
#include <vector>

#include "engine/common/error.h"

namespace vantorel::platform {

// Starts `program` with `arguments` as a list (no shell ever parses them), in `workingFolder`
// (empty: the current one), detached from this process. Returns the child's process id.
// Fails with category Launch, number 1000 + errno, source "prVantor.modAPIs.ShellEmux", the
// strerror text as description (a missing program gives 1002).
[[nodiscard]] Result<long> ShellEmux(const std::string& program, const std::vector<std::string>& arguments,
                                     const std::string& workingFolder);

// The first match of `name` on PATH, or empty.
std::string findOnPath(const std::string& name);

}  // namespace vantorel::platform
