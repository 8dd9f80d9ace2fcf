#include "worker_process.h"

#include <csignal>

namespace panel_host {

bool workerProcess::start(const body& work, std::string& problem)
{
    return child_.start(
        [&work](int inputFd, watchReport& report) {
            std::signal(SIGINT, SIG_IGN);
            std::signal(SIGTERM, SIG_IGN);
            std::signal(SIGPIPE, SIG_IGN);
            return work(inputFd, report);
        },
        problem);
}

workerEnding workerProcess::readUntilEnd(const messageSink& sink)
{
    const auto take = [&sink](const nlohmann::json& message) {
        sink(message.is_object() ? message : nlohmann::json{{"log", {message}}});
    };
    while (child_.pump(100, take)) {
    }
    return child_.wait();
}

std::string workerProcess::failure(const workerEnding& ending) const
{
    if (!run().timedOut && !ending.exited) {
        return "the module crashed (its session process " + ending.how + ")";
    }
    return watchedFailure(run(), ending, child_.callLimit());
}

}  // namespace panel_host
