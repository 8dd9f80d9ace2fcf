#pragma once

#include "validation_runner.h"
#include "validation_settings.h"

#include <nlohmann/json.hpp>

#include <ostream>
#include <string>

namespace panel_host {

// Prints the run for people as it goes: a header, one line per check with
// its result and duration (details indented below it unless it passed), and
// the verdict line last.
class textReporter final : public validationListener {
public:
    explicit textReporter(std::ostream& out) : out_(out) {}
    // isolated: whether the checks run in processes of their own.
    void header(const validationSettings& settings, std::size_t checkCount, bool isolated);
    void checkFinished(const checkRecord& record) override;
    void finish(const validationReport& report);

private:
    std::ostream& out_;
};

// The whole run as JSON: module, settings, every check with result,
// details and duration, counts and verdict.
nlohmann::json reportJson(const validationReport& report, const validationSettings& settings);

// The whole run as JUnit XML: one testcase per check; Failed as <failure>,
// Crashed and Timed out as <error>, Skipped as <skipped>, a warning as
// <system-out> of a passing case.
std::string junitXml(const validationReport& report);
// Escapes &, <, >, " and ' for XML text and attributes.
std::string xmlEscaped(const std::string& text);

}  // namespace panel_host
