#pragma once

#include "scenario_line.h"

#include <functional>
#include <string>

namespace panel_host {

// Reads the scenario file at `path` one line at a time (only the line at
// hand is held, however long the file) and hands each usable line to
// `each`, in order, until `each` returns false (then it stops reading).
// Each problem (the file cannot be read, a line is unusable or is for
// interactive sessions only) goes to `problem` as one message naming the
// file, line and column; the lines after it are still checked but no longer
// handed on. False when there was any problem.
bool readScenarioFile(const std::string& path, const std::function<bool(const scenarioLine&)>& each,
                      const std::function<void(const std::string&)>& problem);

}  // namespace panel_host
