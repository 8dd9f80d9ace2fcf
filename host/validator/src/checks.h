#pragma once

#include "validation_check.h"

#include <vector>

namespace panel_host {

// The checks by group, in the order they run. Each group's file holds its
// checks whole: the function, its name, description and the checks it needs,
// so a new check is written in one place (and tested in its test).
std::vector<checkDefinition> loadingChecks();         // loading_checks.cpp
std::vector<checkDefinition> hostVariantChecks();     // host_variant_checks.cpp
std::vector<checkDefinition> boundaryChecks();        // boundary_checks.cpp
std::vector<checkDefinition> outputContractChecks();  // output_contract_checks.cpp
std::vector<checkDefinition> robustnessChecks();      // robustness_check.cpp
std::vector<checkDefinition> determinismChecks();     // determinism_check.cpp

}  // namespace panel_host
