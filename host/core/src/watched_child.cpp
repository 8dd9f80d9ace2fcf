#include "watched_child.h"

#include "input_rules.h"

#include <cstdio>

namespace panel_host {

namespace {

std::string messageLine(const nlohmann::json& message)
{
    return message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace

void watchReport::send(const nlohmann::json& message)
{
    ok_ = ok_ && writeAll(fd_, messageLine(message));
}

void watchReport::cause(const std::string& text)
{
    send({{"watch", "cause"}, {"text", text}});
}

void watchReport::busy()
{
    send({{"watch", "busy"}});
}

void watchReport::idle()
{
    send({{"watch", "idle"}});
}

void watchReport::finished(int code)
{
    send({{"watch", "exit"}, {"code", code}});
}

watchedChild::watchedChild(std::chrono::milliseconds callLimit, bool busyFromStart) : callLimit_(callLimit)
{
    run_.busy = busyFromStart;
}

bool watchedChild::start(const childStart& how, const body& work, std::string& problem)
{
    busySince_ = std::chrono::steady_clock::now();
    return child_.start(
        how,
        [&work](int inputFd, int outputFd) {
            watchReport report(outputFd);
            return work(inputFd, report);
        },
        problem);
}

void watchedChild::runStartedTask(const std::string& taskPrefix, const taskBody& work)
{
    panel_host::runStartedTask(taskPrefix, [&work](const std::string& task, int inputFd, int outputFd) {
        watchReport report(outputFd);
        return work(task, inputFd, report);
    });
}

void watchedChild::take(const std::string& line, const messageSink& sink)
{
    nlohmann::json message = nlohmann::json::parse(line, nullptr, false);
    if (!message.is_object()) {
        sink(nlohmann::json(line));
        return;
    }
    const auto watch = message.find("watch");
    if (watch == message.end() || !watch->is_string()) {
        sink(message);
        return;
    }
    const std::string what = watch->get<std::string>();
    if (what == "cause") {
        run_.cause = message.value("text", std::string());
    } else if (what == "busy") {
        run_.busy = true;
        busySince_ = std::chrono::steady_clock::now();
    } else if (what == "idle") {
        run_.busy = false;
    } else if (what == "exit") {
        run_.toldExit = message.value("code", 1);
    }
}

void watchedChild::enforceLimit()
{
    if (run_.busy && !run_.timedOut && std::chrono::steady_clock::now() - busySince_ >= callLimit_) {
        run_.timedOut = true;
        child_.kill();
    }
}

bool watchedChild::pump(int timeoutMs, const messageSink& sink)
{
    std::string line;
    lineReader::status got = child_.read(timeoutMs, line);
    while (got == lineReader::status::line) {
        take(line, sink);
        got = child_.read(0, line);
    }
    // Ended, though a process it started may hold its channel open.
    if (got == lineReader::status::end || child_.ended()) {
        while (child_.read(0, line) == lineReader::status::line) {
            take(line, sink);
        }
        return false;
    }
    enforceLimit();
    return true;
}

std::string secondsText(std::chrono::milliseconds duration)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g s", static_cast<double>(duration.count()) / 1000.0);
    return text;
}

std::string watchedFailure(const watchedRun& run, const childEnding& ending, std::chrono::milliseconds callLimit)
{
    const std::string where = " during " + excerpt(run.cause, 200);
    if (run.timedOut) {
        return "the module did not return within " + secondsText(callLimit) + where + "; it was stopped (--timeout)";
    }
    if (run.toldExit) {
        return {};
    }
    if (ending.exited) {
        return "the module ended panel-host's session process (" + ending.how + ")" + where;
    }
    return "the module crashed (" + ending.how + ")" + where;
}

}  // namespace panel_host
