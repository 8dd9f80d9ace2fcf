#include "worker_process.h"

#include "serve_messages.h"
#include <algorithm>
#include <climits>
#include <csignal>

#include <unistd.h>

namespace panel_host {

namespace {

// Closes every descriptor from 3 up but `a` and `b`.
void closeInheritedBut(int a, int b)
{
    const auto low = static_cast<unsigned>(std::min(a, b));
    const auto high = static_cast<unsigned>(std::max(a, b));
    for (const auto& [first, last] :
         {std::pair{3U, low - 1}, std::pair{low + 1, high - 1}, std::pair{high + 1, UINT_MAX}}) {
        if (first <= last) {
            ::close_range(first, last, 0);
        }
    }
}

}  // namespace

bool workerProcess::start(const body& work, std::string& problem)
{
    return watchedChild::start(
        [&work](int inputFd, watchReport& report) {
            std::signal(SIGINT, SIG_IGN);
            std::signal(SIGTERM, SIG_IGN);
            std::signal(SIGPIPE, SIG_IGN);
            closeInheritedBut(inputFd, report.fd());
            return work(inputFd, report);
        },
        problem);
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
