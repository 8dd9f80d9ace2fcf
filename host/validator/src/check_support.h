#pragma once

#include "check_result.h"
#include "contract_report.h"
#include "module_run.h"
#include "validation_check.h"

#include <cstddef>
#include <cstdint>
#include <string>
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

// The robustness check's probe: the first `length` events of the random
// sequence of `seed` (robustness_check.cpp).
probeBody sequenceProbe(const validationSettings& settings, const eventVocabulary& vocabulary, std::uint64_t seed,
                        std::size_t length);

// Helpers the check units share.

// One line per breach of the given kinds (all kinds when `kinds` is empty),
// with the step it happened in; at most 20 lines and a count of the rest.
// Empty when there is none.
std::string listBreaches(const recordedRun& run, const std::vector<hostEvent>& events,
                         const std::vector<breachKind>& kinds);

// Failed: the run's script could not be created, and why.
checkResult notCreated(const recordedRun& run);

// For a run with the models' replies: a warning when the host reported
// something at start-up (a layout file not found: "PS" got null), naming
// it; otherwise passed, with the count and the first of any later host
// diagnostics in the details.
checkResult passedUnlessDiagnosed(const recordedRun& run, const std::vector<hostEvent>& events,
                                  const std::string& passedDetails);

// Passed when the run has no breach of the given kinds, else Failed with the
// list; `passedDetails` describes a clean run (see passedUnlessDiagnosed).
checkResult judgeBreaches(const recordedRun& run, const std::vector<hostEvent>& events,
                          const std::vector<breachKind>& kinds, const std::string& passedDetails);

}  // namespace panel_host
