#pragma once

#include "validation_check.h"

#include <vector>

namespace panel_host {

// Every check, in the order they run: loading, host variants, boundary,
// output contract, robustness, determinism.
const std::vector<checkDefinition>& registeredChecks();

}  // namespace panel_host
