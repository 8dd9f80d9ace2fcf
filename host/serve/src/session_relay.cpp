#include "session_relay.h"

#include "serve_messages.h"
#include "session_worker.h"

#include <boost/asio/execution_context.hpp>

#include <ctime>
#include <iostream>
#include <utility>

namespace panel_host {

namespace net = boost::asio;

namespace {

// How often the watch looks at a session process between its messages: the
// call limit, and an end while a process it started holds its channel.
constexpr std::chrono::milliseconds watchInterval{100};

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

sessionRelay::sessionRelay(net::io_context& io, hostSetup setup, eventHub& hub, bool followsRebuilds,
                           std::chrono::milliseconds callLimit)
    : io_(io),
      setup_(std::move(setup)),
      hub_(hub),
      followsRebuilds_(followsRebuilds),
      callLimit_(callLimit),
      reloadGrace_(io)
{
}

sessionRelay::~sessionRelay()
{
    if (worker_ && !worker_->over) {
        worker_->process.kill();
        worker_->output.release();
        worker_->process.wait();
    }
}

bool sessionRelay::start(std::string& problem)
{
    return startWorker(problem);
}

void sessionRelay::serving()
{
    if (phase_ == phase::starting) {
        phase_ = phase::serving;
    }
}

bool sessionRelay::followingRebuilds() const
{
    return followsRebuilds_ && (phase_ == phase::serving || phase_ == phase::reloaded);
}

// Forks the next session process and waits for its messages. The child uses
// none of the parent's state: it runs the session on its own descriptors.
bool sessionRelay::startWorker(std::string& problem)
{
    auto next = std::make_unique<worker>(io_, callLimit_);
    const hostSetup setup = setup_;
    io_.notify_fork(net::execution_context::fork_prepare);
    const bool started = next->process.start(
        [&setup](int in, watchReport& report) { return runSessionWorker(setup, in, report); }, problem);
    io_.notify_fork(net::execution_context::fork_parent);
    if (!started) {
        return false;
    }
    next->output.assign(next->process.outputFd());
    worker_ = std::move(next);
    awaitOutput();
    awaitPoll();
    return true;
}

void sessionRelay::awaitOutput()
{
    worker_->output.asyncWait([this, current = worker_.get()](boost::system::error_code ec) {
        if (!ec) {
            takeMessages();
            // A reload may have started the next worker meanwhile.
            if (worker_.get() == current && !current->over) {
                awaitOutput();
            }
        }
    });
}

void sessionRelay::awaitPoll()
{
    worker_->poll.expires_after(watchInterval);
    worker_->poll.async_wait([this, current = worker_.get()](boost::system::error_code ec) {
        if (!ec) {
            takeMessages();
            if (worker_.get() == current && !current->over) {
                awaitPoll();
            }
        }
    });
}

void sessionRelay::takeMessages()
{
    if (!worker_->process.pump(0, [this](const nlohmann::json& message) { relayMessage(message); })) {
        workerEnded();
    }
    changed();
}

void sessionRelay::workerEnded()
{
    worker& ended = *worker_;
    ended.over = true;
    ended.output.release();  // the process's channel closes with it
    ended.poll.cancel();
    const workerEnding ending = ended.process.wait();
    // Crashed, hung in a call, or ended by the module's exit(), when the
    // session did not tell its end.
    const bool failed = phase_ != phase::reloading && phase_ != phase::killed && !ended.toldEnd;
    const std::string failure = failed ? ended.process.failure(ending) : std::string();
    answerPending(ended, failed ? failure : phase_ == phase::killed ? killReason_ : sessionNotRunning().reason);
    if (phase_ == phase::reloading) {
        startReloaded();
        return;
    }
    if (phase_ == phase::killed) {
        hub_.publishEnd(killReason_, true);
    } else if (failed) {
        if (!followingRebuilds()) {
            tell("panel-host serve: " + failure);
        }
        publishEnding(failure, true);
    }
}

bool sessionRelay::relayMessage(const nlohmann::json& message)
{
    if (const std::optional<operatorOutcome> outcome = readOutcome(message)) {
        takeOutcome(*outcome);
        return false;
    }
    for (const nlohmann::json& line : message.value(serveMessage::log, nlohmann::json::array())) {
        const std::string text = line.is_string() ? line.get<std::string>() : line.dump();
        // The session's errors are told once, on standard error.
        (text.rfind("error: ", 0) == 0 ? std::cerr : std::cout) << text << '\n';
        lastLine_ = text;
    }
    std::cout.flush();
    std::cerr.flush();
    const auto end = message.find(serveMessage::end);
    if (end == message.end() || !end->is_object()) {
        hub_.publish(message);
        if (phase_ == phase::reloaded && message.contains(serveMessage::state)) {
            phase_ = phase::serving;
            tell("panel-host serve: " + reloadNote_);
            hub_.publishNotice(reloadNote_, false);
        }
        return false;
    }
    worker_->toldEnd = true;  // it may still read lines while it goes: they would be lost
    if (phase_ == phase::reloading) {
        return true;  // the reload tells what happened
    }
    if (end->value("failed", true)) {
        publishEnding(end->value("message", std::string("the session failed")), true);
    } else {
        hub_.publish(message);
    }
    return true;
}

void sessionRelay::takeOutcome(const operatorOutcome& outcome)
{
    if (worker_->pending.empty()) {
        return;  // an outcome nobody asked for: nothing waits for it
    }
    pendingLine taken = std::move(worker_->pending.front());
    worker_->pending.pop_front();
    if (!taken.answered) {
        return;  // given again after a reload: already among the lines so far
    }
    if (outcome.done && followsRebuilds_) {
        keepForReplay(taken.line);
    }
    taken.answered(outcome);
}

void sessionRelay::keepForReplay(const std::string& line)
{
    if (pastReplayLimit_) {
        return;
    }
    if (operatorLines_.size() >= replayLimit_) {
        pastReplayLimit_ = true;
        std::vector<std::string>().swap(operatorLines_);
        return;
    }
    operatorLines_.push_back(line);
}

void sessionRelay::answerPending(worker& ended, const std::string& why)
{
    std::deque<pendingLine> waiting;
    waiting.swap(ended.pending);
    operatorOutcome outcome = sessionNotRunning();
    outcome.reason = why;
    for (const pendingLine& line : waiting) {
        if (line.answered) {
            line.answered(outcome);
        }
    }
}

void sessionRelay::tell(const std::string& line)
{
    std::cout << line << std::endl;
    hub_.publish({{serveMessage::log, {line}}});
}

// The session ended by itself: the end of serve, or while following rebuilds
// a notice, and serve waits for the next one.
void sessionRelay::publishEnding(const std::string& message, bool failed)
{
    if (followingRebuilds()) {
        tell("panel-host serve: " + message + "; waiting for the next rebuild");
        hub_.publishNotice(message + "; waiting for the next rebuild of the module", failed);
        return;
    }
    hub_.publishEnd(message + (failed ? "; the session is over" : ""), failed);
}

void sessionRelay::changed()
{
    if (changed_) {
        changed_();
    }
}

bool sessionRelay::send(const std::string& line, outcomeSink answered)
{
    if (finished() || worker_->toldEnd || phase_ == phase::reloading || !worker_->process.send(line)) {
        return false;
    }
    worker_->pending.push_back({line, std::move(answered)});
    return true;
}

void sessionRelay::reload(bool replay, std::chrono::milliseconds grace)
{
    if (phase_ != phase::serving && phase_ != phase::reloaded) {
        return;
    }
    std::string how = "starting afresh";
    if (replay && pastReplayLimit_) {
        how += ": more than " + std::to_string(replayLimit_) + " operator lines, too many to replay";
        replay = false;
    } else if (replay) {
        how = "replaying " + std::to_string(operatorLines_.size()) + " operator line(s)";
    }
    tell("panel-host serve: the module file changed; reloading it, " + how);
    hub_.publishNotice("the module file changed; reloading it", false, true);
    phase_ = phase::reloading;
    replay_ = replay;
    reloadNote_ = "reloaded the module at " + clockTime() + ", " + how;
    if (finished()) {
        startReloaded();
        return;
    }
    worker_->process.closeInput();
    reloadGrace_.expires_after(grace);
    reloadGrace_.async_wait([this](boost::system::error_code ec) {
        if (!ec && phase_ == phase::reloading && !finished()) {
            worker_->process.kill();
        }
    });
}

// The old session has gone: the new one starts, with the lines so far when
// replaying.
void sessionRelay::startReloaded()
{
    reloadGrace_.cancel();
    phase_ = phase::reloaded;
    if (!replay_) {
        operatorLines_.clear();
        pastReplayLimit_ = false;
    }
    std::string problem;
    if (!startWorker(problem)) {
        publishEnding("the module could not be reloaded: " + problem, true);
        return;
    }
    for (const std::string& line : operatorLines_) {
        if (!worker_->process.send(line)) {
            break;
        }
        worker_->pending.push_back({line, nullptr});
    }
}

void sessionRelay::stop()
{
    if (phase_ != phase::killed) {
        phase_ = phase::stopping;
    }
    if (!finished()) {
        worker_->process.closeInput();
    }
}

void sessionRelay::kill(const std::string& why)
{
    killReason_ = why;
    phase_ = phase::killed;
    if (!finished()) {
        worker_->process.kill();
    }
}

}  // namespace panel_host
