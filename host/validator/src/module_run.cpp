#include "module_run.h"

#include "host_session.h"
#include "check_result.h"
#include "notify_codes.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace panel_host {

std::optional<std::string> imageHolding(const void* address)
{
    if (address == nullptr) {
        return std::nullopt;
    }
#if defined(_WIN32)
    HMODULE module = nullptr;
    const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    if (!GetModuleHandleExA(flags, static_cast<LPCSTR>(address), &module)) {
        return std::nullopt;
    }
    char path[MAX_PATH] = {};
    GetModuleFileNameA(module, path, MAX_PATH);
    return std::string(path);
#else
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) {
        return std::nullopt;
    }
    return std::string(info.dli_fname);
#endif
}

void sessionRecorder::notificationStarting(const notification& n)
{
    calls_.push_back({n, 0, nullptr, std::nullopt, std::nullopt, step_});
    inCall_ = true;
    transcript_.push_back("notify " + printableText(n.describe(), 200));
}

void sessionRecorder::notificationFinished(const notification&, const char* result)
{
    inCall_ = false;
    if (calls_.empty() || result == nullptr) {
        return;
    }
    calls_.back().result = result;
    calls_.back().resultText = std::string(result);
    calls_.back().resultImage = imageHolding(result);
    transcript_.push_back("returned '" + printableText(result, 200) + "'");
}

void sessionRecorder::commandSent(const sentCommand& command)
{
    sends_.push_back({command.code, command.text, command.textWasNull, command.releasedReplyOf, step_, unloading_});
    if (inCall_ && !calls_.empty()) {
        ++calls_.back().sends;
    }
    std::string line = "send " + std::to_string(command.code);
    if (command.code == sendExecute) {
        line += " " + printableText(command.text, 200) + " => " +
                (command.reply ? "'" + printableText(*command.reply, 200) + "'" : std::string("null"));
    } else if (command.code == sendRelease) {
        line += command.textWasNull               ? " null"
                : command.releasedReplyOf.empty() ? " a pointer this host never handed out"
                                                  : " the reply to " + printableText(command.releasedReplyOf, 200);
    }
    transcript_.push_back(line);
}

void sessionRecorder::breachFound(const contractBreach& breach)
{
    breaches_.push_back({breach, step_, unloading_});
    transcript_.push_back(std::string("breach ") + breachKindName(breach.kind) + ": " +
                          printableText(breach.detail, 200));
}

void sessionRecorder::diagnostic(const std::string& text)
{
    diagnostics_.push_back({text, step_, unloading_});
}

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
