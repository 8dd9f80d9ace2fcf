#include "check_support.h"

#include <algorithm>

namespace panel_host {

namespace {

constexpr std::size_t maxListed = 20;

}  // namespace

std::string listBreaches(const recordedRun& run, const std::vector<hostEvent>& events,
                         const std::vector<breachKind>& kinds)
{
    std::string lines;
    std::size_t found = 0;
    for (const sessionRecorder::breachRecord& b : run.recorder.breaches()) {
        if (!kinds.empty() && std::find(kinds.begin(), kinds.end(), b.breach.kind) == kinds.end()) {
            continue;
        }
        if (++found <= maxListed) {
            lines += std::string(breachKindName(b.breach.kind)) + " during " + stepName(b.step, b.unloading, events) +
                     ": " + printableText(b.breach.detail, 300) + "\n";
        }
    }
    if (found > maxListed) {
        lines += "... and " + std::to_string(found - maxListed) + " more\n";
    }
    return lines;
}

namespace {

std::string diagnosticLine(const sessionRecorder::diagnosticRecord& d, const std::vector<hostEvent>& events)
{
    return "the host reported at " + stepName(d.step, d.unloading, events) + ": " + printableText(d.text, 200);
}

}  // namespace

checkResult passedUnlessDiagnosed(const recordedRun& run, const std::vector<hostEvent>& events,
                                  const std::string& passedDetails)
{
    const auto& diagnostics = run.recorder.diagnostics();
    if (!run.modelReplies || diagnostics.empty()) {
        return checkResult::passed(passedDetails);
    }
    std::string startUp;
    for (const auto& d : diagnostics) {
        if (d.step == sessionRecorder::startUpStep && !d.unloading) {
            startUp += "\n" + diagnosticLine(d, events);
        }
    }
    if (!startUp.empty()) {
        return checkResult::warning(passedDetails + startUp +
                                    "\nthe start-up did not run as on the panel host; is --layouts the folder of "
                                    "the module's layout?");
    }
    // Later ones follow the validator's own edge-case events.
    return checkResult::passed(
        passedDetails + "\n" + std::to_string(diagnostics.size()) +
        " host diagnostic(s) on the generated events; the first: " + diagnosticLine(diagnostics.front(), events));
}

checkResult notCreated(const recordedRun& run)
{
    return checkResult::failed("the script was not created: " + printableText(run.loadProblem));
}

checkResult judgeBreaches(const recordedRun& run, const std::vector<hostEvent>& events,
                          const std::vector<breachKind>& kinds, const std::string& passedDetails)
{
    if (!run.loaded) {
        return notCreated(run);
    }
    const std::string breaches = listBreaches(run, events, kinds);
    return breaches.empty() ? passedUnlessDiagnosed(run, events, passedDetails) : checkResult::failed(breaches);
}

}  // namespace panel_host
