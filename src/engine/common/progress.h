#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/common/error.h"

namespace vantorel {

// Progress leaves an engine through this callback: `done` of `total` steps. It answers
// whether to go on: false asks the engine to stop at that step, which it does without
// writing anything, failing with a Stopped error that says how far it got. The engine
// never pumps events; the front end decides what a step means on screen.
using ProgressFn = std::function<bool(std::int64_t done, std::int64_t total)>;

// Reports one step; true when there is no callback or it lets the work go on.
inline bool keepGoing(const ProgressFn& progress, std::int64_t done, std::int64_t total) {
    return !progress || progress(done, total);
}

// The failure of a job the user stopped after `done` of `total` steps.
inline Error stoppedError(std::string source, std::int64_t done, std::int64_t total) {
    return Error(ErrorCategory::Stopped, 1, std::move(source),
                 "stopped at step " + std::to_string(done) + " of " + std::to_string(total),
                 {std::to_string(done), std::to_string(total)});
}

}  // namespace vantorel
