#include "module_run.h"

#include "host_session.h"
#include "printable_text.h"

namespace panel_host {

recordedRun runModule(const validationSettings& settings, const std::vector<hostEvent>& events, replyPolicy* policy,
                      progressChannel& progress)
{
    recordedRun run;
    run.modelReplies = policy == nullptr;
    hostSession session(settings.devices);
    session.addObserver(&run.recorder);
    session.setReplyPolicy(policy);
    progress.note("start-up: loading the module and creating its script");
    const loadOutcome loaded = session.load(settings.modulePath, settings.layoutFolder);
    run.loaded = loaded.ok;
    run.loadProblem = loaded.message;
    if (loaded.ok) {
        for (std::size_t i = 0; i < events.size(); ++i) {
            const auto step = static_cast<std::int64_t>(i);
            progress.note(stepName(step, false, events), step);
            run.recorder.startEvent(step);
            applyEvent(session, events[i]);
        }
        progress.note("unload: destroying the script and unloading the module",
                      static_cast<std::int64_t>(events.size()));
        run.recorder.startUnload();
        session.unload();
    }
    session.removeObserver(&run.recorder);
    return run;
}

std::string stepName(std::int64_t step, bool unloading, const std::vector<hostEvent>& events)
{
    if (unloading) {
        return "unload";
    }
    if (step < 0) {
        return "start-up";
    }
    const auto index = static_cast<std::size_t>(step);
    return "event " + std::to_string(index + 1) + " of " + std::to_string(events.size()) + ": " +
           (index < events.size() ? printableText(events[index].describe(), 200) : std::string("(unknown)"));
}

}  // namespace panel_host
