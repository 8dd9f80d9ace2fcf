#include "worker_process.h"

#include <csignal>

namespace panel_host {

bool workerProcess::start(const body& work, std::string& problem)
{
    return child_.start(
        [&work](int inputFd, int outputFd) {
            std::signal(SIGINT, SIG_IGN);
            std::signal(SIGTERM, SIG_IGN);
            std::signal(SIGPIPE, SIG_IGN);
            return work(inputFd, outputFd);
        },
        problem);
}

workerEnding workerProcess::readUntilEnd(const messageSink& sink)
{
    std::string line;
    for (lineReader::status got; (got = child_.read(-1, line)) != lineReader::status::end;) {
        if (got == lineReader::status::line) {
            nlohmann::json message = nlohmann::json::parse(line, nullptr, false);
            sink(message.is_object() ? message : nlohmann::json{{"log", {line}}});
        }
    }
    return child_.wait();
}

}  // namespace panel_host
