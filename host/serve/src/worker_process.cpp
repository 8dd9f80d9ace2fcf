#include "worker_process.h"

#include "serve_messages.h"
#include "stop_signals.h"

namespace panel_host {

namespace {

// The task of serve's session process.
constexpr const char* sessionTask = "serve session";

// The child's side: the parent decides when the session ends.
int runSession(const workerProcess::body& work, int inputFd, watchReport& report)
{
    ignoreStopSignals();
    return work(inputFd, report);
}

}  // namespace

bool workerProcess::start(const body& work, std::string& problem)
{
    return watchedChild::start(
        {sessionTask, -1, true},
        [&work](int inputFd, watchReport& report) { return runSession(work, inputFd, report); }, problem);
}

void workerProcess::runStarted(const body& work)
{
    watchedChild::runStartedTask(sessionTask, [&work](const std::string&, int inputFd, watchReport& report) {
        return runSession(work, inputFd, report);
    });
}

bool workerProcess::pump(int timeoutMs, const messageSink& sink)
{
    return watchedChild::pump(timeoutMs, [&sink](const nlohmann::json& message) {
        sink(message.is_object() ? message : nlohmann::json{{serveMessage::log, {message}}});
    });
}

std::string workerProcess::failure(const workerEnding& ending) const
{
    if (!run().timedOut && !ending.exited) {
        return "the module crashed (its session process " + ending.how + ")";
    }
    return watchedFailure(run(), ending, callLimit());
}

}  // namespace panel_host
