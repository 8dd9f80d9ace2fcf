#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

namespace panel_host {

// How one check ended.
enum class resultKind {
    passed,
    failed,    // the module broke the rule the check is about
    crashed,   // the module brought the check's process down
    timedOut,  // the check did not finish within its time limit
    skipped,   // not run: not possible here, or a check it needs did not pass
    warning,   // passed, but with something the author should look at
};

// "Passed", "Failed", "Crashed", "Timed out", "Skipped", "Warning".
const char* resultKindName(resultKind kind);
std::optional<resultKind> resultKindFromName(const std::string& name);
// Failed, crashed and timed out: the module did not pass.
bool isFailure(resultKind kind);

// The result of one check: its kind, readable details (may span lines) and
// how long it took.
struct checkResult {
    resultKind kind = resultKind::passed;
    std::string details;
    std::chrono::milliseconds duration{0};

    static checkResult passed(std::string details = {}) { return {resultKind::passed, std::move(details), {}}; }
    static checkResult failed(std::string details) { return {resultKind::failed, std::move(details), {}}; }
    static checkResult skipped(std::string details) { return {resultKind::skipped, std::move(details), {}}; }
    static checkResult warning(std::string details) { return {resultKind::warning, std::move(details), {}}; }
};

// `text` with every byte a terminal, JSON or XML report cannot carry as it is
// (control characters other than newline and tab, and bytes from 0x7F up)
// written as \xNN, and cut to at most `limit` bytes with a note of how much
// was left out. Module texts reach reports only through this.
std::string printableText(const std::string& text, std::size_t limit = 2000);

}  // namespace panel_host
