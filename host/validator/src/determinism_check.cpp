// Determinism: two scripts of one loaded module, given the same events,
// send the same commands and return the same texts.
#include "check_support.h"

#include "event_generator.h"
#include "module_library.h"

namespace panel_host {

namespace {

checkResult checkSameTranscript(const checkContext& context)
{
    std::vector<hostEvent> events = tourEvents(context.vocabulary);
    const std::vector<hostEvent> drawn =
        randomEvents(context.settings.seed, context.settings.events, context.vocabulary);
    events.insert(events.end(), drawn.begin(), drawn.end());

    // Keeps the module loaded between the two runs, as a host that opens a
    // second panel does: state left in the module shows up as a difference.
    moduleLibrary keeper;
    std::string error;
    if (!keeper.open(context.settings.modulePath, error)) {
        return checkResult::failed("cannot load the module: " + printableText(error));
    }
    context.progress.note("first run");
    const recordedRun first = runModule(context.settings, events, nullptr, context.progress);
    context.progress.note("second run");
    const recordedRun second = runModule(context.settings, events, nullptr, context.progress);
    if (!first.loaded) {
        return notCreated(first);
    }
    const std::vector<std::string>& a = first.recorder.transcript();
    const std::vector<std::string>& b = second.recorder.transcript();
    for (std::size_t i = 0; i < a.size() || i < b.size(); ++i) {
        const std::string left = i < a.size() ? a[i] : "(the transcript ends)";
        const std::string right = i < b.size() ? b[i] : "(the transcript ends)";
        if (left != right) {
            return checkResult::failed("the transcripts of two runs of the same " + std::to_string(events.size()) +
                                       " events (tour, then seed " + std::to_string(context.settings.seed) +
                                       ") differ at line " + std::to_string(i + 1) + ":\nfirst run:  " + left +
                                       "\nsecond run: " + right);
        }
    }
    return checkResult::passed("two runs of " + std::to_string(events.size()) + " events gave the same " +
                               std::to_string(a.size()) + "-line transcript");
}

}  // namespace

std::vector<checkDefinition> determinismChecks()
{
    return {
        {"determinism.transcript",
         "the same event sequence gives the same command transcript twice",
         checkSameTranscript,
         {"loading.creates-object"},
         false},
    };
}

}  // namespace panel_host
