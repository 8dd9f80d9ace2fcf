#pragma once

#include "scenario_line.h"

#include <functional>
#include <string>
#include <vector>

namespace panel_host {

// Reads the scenario file at `path` and parses every line into `lines`, in
// order. Each problem (the file cannot be read, a line is unusable or is
// for interactive sessions only) goes to `problem` as one message naming the
// file, line and column. False when there was any problem.
bool readScenarioFile(const std::string& path, std::vector<scenarioLine>& lines,
                      const std::function<void(const std::string&)>& problem);

}  // namespace panel_host
