#pragma once

#include "check_result.h"
#include "probe_runner.h"
#include "validation_check.h"
#include "validation_settings.h"

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace panel_host {

struct checkRecord {
    std::string name;
    std::string description;
    checkResult result;
};

// The results of one validation run, in the order the checks ran.
struct validationReport {
    std::string modulePath;
    std::vector<checkRecord> records;
    std::chrono::milliseconds duration{0};

    std::size_t count(resultKind kind) const;
    // Nothing failed, crashed or timed out.
    bool passed() const;
    // 0 when passed, else 1.
    int exitCode() const;
    // "PASSED: 19 checks: 18 passed, 1 warning, ..." for the last line.
    std::string verdict() const;
};

// Told about each check as the run goes; reporters print from here.
class validationListener {
public:
    virtual ~validationListener() = default;
    virtual void checkStarting(const checkDefinition& check) { (void)check; }
    virtual void checkFinished(const checkRecord& record) { (void)record; }
};

// True when `name` matches `pattern`: '*' stands for any run of characters,
// and a pattern without '.' or '*' names a whole group ("output" matches
// "output.send-codes").
bool matchesCheckPattern(const std::string& pattern, const std::string& name);

// The checks whose names match an include pattern (all when `include` is
// empty) and no exclude pattern, in registry order.
std::vector<const checkDefinition*> selectChecks(const std::vector<checkDefinition>& checks,
                                                 const std::vector<std::string>& include,
                                                 const std::vector<std::string>& exclude);

// What a probe's ending means as a check result: its JSON result when it
// finished, else Crashed or Timed out with where it was and what it printed.
checkResult resultOfProbe(const probeOutcome& outcome, std::chrono::milliseconds limit);
checkResult checkResultFromJson(const nlohmann::json& value);
nlohmann::json checkResultToJson(const checkResult& result);

// Runs the checks one after another, each isolated by `probes` (or, when it
// supervises, in this process), and skips those whose needs did not pass.
validationReport runValidation(const validationSettings& settings, const std::vector<const checkDefinition*>& checks,
                               probeRunner& probes, validationListener* listener);

}  // namespace panel_host
