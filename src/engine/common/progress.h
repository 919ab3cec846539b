#pragma once

#include <cstdint>
#include <functional>

namespace vantorel {

// Progress leaves an engine through this callback: `done` of `total` steps. The engine
// never pumps events; the front end decides what a step means on screen.
using ProgressFn = std::function<void(std::int64_t done, std::int64_t total)>;

}  // namespace vantorel
