#include "session_relay.h"

#include "session_worker.h"

#include <ctime>
#include <iostream>
#include <utility>

namespace panel_host {

namespace {

std::string clockTime()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16] = {};
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

}  // namespace

sessionRelay::sessionRelay(hostSetup setup, eventHub& hub, bool followsRebuilds, std::chrono::milliseconds callLimit)
    : setup_(std::move(setup)), hub_(hub), followsRebuilds_(followsRebuilds), callLimit_(callLimit)
{
}

sessionRelay::~sessionRelay()
{
    if (worker_) {
        worker_->kill();
    }
    join();
}

bool sessionRelay::start(std::string& problem)
{
    const std::lock_guard<std::mutex> lock(sending_);
    return startWorker(problem);
}

// Forks the next session process and starts relaying it. With sending_ held.
// A reload forks while the server's threads run: the child uses none of
// their state (it runs the session on its own descriptors), and glibc keeps
// malloc and stdio usable in a child forked from threads.
bool sessionRelay::startWorker(std::string& problem)
{
    auto worker = std::make_unique<workerProcess>(callLimit_);
    const hostSetup setup = setup_;
    if (!worker->start([&setup](int in, watchReport& report) { return runSessionWorker(setup, in, report); },
                       problem)) {
        return false;
    }
    worker_ = std::move(worker);
    relayDone_ = false;
    sessionOver_ = false;
    relayThread_ =
        std::thread([this, worker = worker_.get(), generation = ++generation_] { relay(*worker, generation); });
    return true;
}

void sessionRelay::relay(workerProcess& worker, unsigned generation)
{
    bool endTold = false;
    const workerEnding ending = worker.readUntilEnd([this, generation, &endTold](const nlohmann::json& message) {
        endTold = relayMessage(message, generation) || endTold;
    });
    if (!reloading_) {
        if (killed_) {
            std::string why;
            {
                const std::lock_guard<std::mutex> lock(lastLineLock_);
                why = killReason_;
            }
            hub_.publishEnd(why, true);
        } else if (!endTold) {
            // Crashed, hung in a call, or ended by the module's exit().
            const std::string failure = worker.failure(ending);
            if (!followsRebuilds_ || !serving_ || stopping_) {
                tell("panel-host serve: " + failure);
            }
            publishEnding(failure, true);
        }
    }
    relayDone_ = true;
}

bool sessionRelay::relayMessage(const nlohmann::json& message, unsigned generation)
{
    for (const nlohmann::json& line : message.value("log", nlohmann::json::array())) {
        const std::string text = line.is_string() ? line.get<std::string>() : line.dump();
        // The session's errors are told once, on standard error.
        (text.rfind("error: ", 0) == 0 ? std::cerr : std::cout) << text << '\n';
        const std::lock_guard<std::mutex> lock(lastLineLock_);
        lastLine_ = text;
    }
    std::cout.flush();
    std::cerr.flush();
    const auto end = message.find("end");
    if (end == message.end() || !end->is_object()) {
        hub_.publish(message);
        if (generation > 1 && message.contains("state") && !reloadedShown_) {
            reloadedShown_ = true;
            tell("panel-host serve: " + reloadNote_);
            hub_.publishNotice(reloadNote_, false);
        }
        return false;
    }
    sessionOver_ = true;  // it may still read lines while it goes: they would be lost
    if (reloading_) {
        return true;  // the reload tells what happened
    }
    if (end->value("failed", true)) {
        publishEnding(end->value("message", std::string("the session failed")), true);
    } else {
        hub_.publish(message);
    }
    return true;
}

void sessionRelay::tell(const std::string& line)
{
    std::cout << line << std::endl;
    hub_.publish({{"log", {line}}});
}

// The session ended by itself: the end of serve, or while following rebuilds
// a notice, and serve waits for the next one.
void sessionRelay::publishEnding(const std::string& message, bool failed)
{
    if (followsRebuilds_ && serving_ && !stopping_) {
        tell("panel-host serve: " + message + "; waiting for the next rebuild");
        hub_.publishNotice(message + "; waiting for the next rebuild of the module", failed);
        return;
    }
    hub_.publishEnd(message + (failed ? "; the session is over" : ""), failed);
}

bool sessionRelay::send(const std::string& line)
{
    const std::lock_guard<std::mutex> lock(sending_);
    if (!worker_ || sessionOver_ || relayDone_ || !worker_->send(line)) {
        return false;
    }
    if (followsRebuilds_) {
        operatorLines_.push_back(line);
    }
    return true;
}

void sessionRelay::reload(bool replay, std::chrono::milliseconds grace)
{
    std::unique_ptr<workerProcess> old;
    std::size_t replayed = 0;
    {
        const std::lock_guard<std::mutex> lock(sending_);
        old = std::move(worker_);
        replayed = replay ? operatorLines_.size() : 0;
    }
    const std::string how = replay ? "replaying " + std::to_string(replayed) + " operator line(s)" : "starting afresh";
    tell("panel-host serve: the module file changed; reloading it, " + how);
    hub_.publishNotice("the module file changed; reloading it", false, true);
    reloading_ = true;
    if (old) {
        old->closeInput();
        const auto killAt = std::chrono::steady_clock::now() + grace;
        while (!relayDone_ && std::chrono::steady_clock::now() < killAt) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        old->kill();
    }
    join();
    old.reset();
    reloading_ = false;

    const std::lock_guard<std::mutex> lock(sending_);
    if (!replay) {
        operatorLines_.clear();
    }
    reloadNote_ = "reloaded the module at " + clockTime() + ", " + how;
    reloadedShown_ = false;
    std::string problem;
    if (!startWorker(problem)) {
        publishEnding("the module could not be reloaded: " + problem, true);
        return;
    }
    for (const std::string& line : operatorLines_) {
        if (!worker_->send(line)) {
            break;
        }
    }
}

void sessionRelay::stop()
{
    stopping_ = true;
    const std::lock_guard<std::mutex> lock(sending_);
    if (worker_) {
        worker_->closeInput();
    }
}

void sessionRelay::kill(const std::string& why)
{
    {
        const std::lock_guard<std::mutex> lock(lastLineLock_);
        killReason_ = why;
    }
    killed_ = true;
    const std::lock_guard<std::mutex> lock(sending_);
    if (worker_) {
        worker_->kill();
    }
}

void sessionRelay::join()
{
    if (relayThread_.joinable()) {
        relayThread_.join();
    }
}

std::string sessionRelay::lastLine() const
{
    const std::lock_guard<std::mutex> lock(lastLineLock_);
    return lastLine_;
}

}  // namespace panel_host
