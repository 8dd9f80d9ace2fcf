#pragma once

#include "check_result.h"
#include "event_vocabulary.h"
#include "probe_runner.h"
#include "validation_settings.h"

#include <string>
#include <vector>

namespace panel_host {

// What a check is given.
struct checkContext {
    const validationSettings& settings;
    const eventVocabulary& vocabulary;
    // Runs probes with the run's isolation; for supervising checks.
    probeRunner& probes;
    // Where the check tells its steps, so that a crash or hang names the step.
    progressChannel& progress;
};

using checkFunction = checkResult (*)(const checkContext& context);

// One named check of the contract.
struct checkDefinition {
    std::string name;         // "group.check", stable: used by --include, reports and tests
    std::string description;  // one line
    checkFunction run = nullptr;
    // Checks that must pass (or warn) first; when one of them ran and did
    // not, this check is skipped.
    std::vector<std::string> needs;
    // False: the whole check runs inside one probe (its own child process).
    // True: the check runs in the validator's process and touches the module
    // only through probes of its own, so that it can tell which probe failed.
    bool supervises = false;
};

// Every check, in the order they run: loading, host variants, boundary,
// output contract, robustness, determinism.
const std::vector<checkDefinition>& registeredChecks();

}  // namespace panel_host
