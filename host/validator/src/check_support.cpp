#include "check_support.h"

#include "printable_text.h"

#include <algorithm>

namespace {

constexpr std::size_t maxListed = 20;

}  // namespace

std::string listBreaches(const recordedRun& run, const std::vector<validationEvent>& events,
                         const std::vector<breachKind>& kinds)
{
    std::string lines;
    std::size_t found = 0;
    for (const sessionRecorder::breachRecord& b : run.recorder.breaches()) {
        if (!kinds.empty() && std::find(kinds.begin(), kinds.end(), b.breach.kind) == kinds.end()) {
            continue;
        }
        if (++found <= maxListed) {
            lines += std::string(breachKindName(b.breach.kind)) + " during " +
                     stepName(b.step, b.unloading, events) + ": " + printableText(b.breach.detail, 300) + "\n";
        }
    }
    if (found > maxListed) {
        lines += "... and " + std::to_string(found - maxListed) + " more\n";
    }
    return lines;
}

checkResult notCreated(const recordedRun& run)
{
    return checkResult::failed("the script was not created: " + printableText(run.loadProblem));
}

checkResult judgeBreaches(const recordedRun& run, const std::vector<validationEvent>& events,
                          const std::vector<breachKind>& kinds, const std::string& passedDetails)
{
    if (!run.loaded) {
        return notCreated(run);
    }
    const std::string breaches = listBreaches(run, events, kinds);
    return breaches.empty() ? checkResult::passed(passedDetails) : checkResult::failed(breaches);
}
