#pragma once

#include "channel_wait.h"
#include "event_hub.h"
#include "operator_outcome.h"
#include "scenario_runner.h"
#include "worker_process.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/steady_timer.hpp>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace panel_host {

// serve's session as the pages see it: the session process (one worker at a
// time), whose messages it relays to the hub and to standard output and
// error as they come, and the operator lines it carried out, so that a
// reloaded module can be given them again. On serve's io_context, like everything
// of serve.
class sessionRelay {
public:
    // The most operator lines a reload replays; a session past them starts
    // afresh at its next reload, so that serve does not grow with its length.
    static constexpr std::size_t defaultReplayLimit = 10000;

    // `followsRebuilds`: once serving, a session that ends by itself (the
    // module cannot be loaded, crashed or hung) is a notice on the pages, not
    // the end: serve waits for the next rebuild. A call into the module that
    // takes longer than `callLimit` ends the session.
    sessionRelay(boost::asio::io_context& io, hostSetup setup, eventHub& hub, bool followsRebuilds,
                 std::chrono::milliseconds callLimit = defaultCallLimit);
    ~sessionRelay();
    sessionRelay(const sessionRelay&) = delete;
    sessionRelay& operator=(const sessionRelay&) = delete;

    // Called after each change the relay made: messages taken, the session
    // process ended.
    void onChange(std::function<void()> changed) { changed_ = std::move(changed); }
    // Starts the first session.
    bool start(std::string& problem);
    // The pages are being served: from now on rebuilds are followed.
    void serving();
    // Sends one operator line; `answered` gets what the session made of it,
    // once (the session not running, should it end first). False, with
    // `answered` never called, when no session takes it.
    bool send(const std::string& line, outcomeSink answered);
    // Ends the session (its script deleted, the module unloaded; killed if it
    // has not gone within `grace`), then loads the module file again and,
    // with `replay`, sends it the operator lines so far; else starts afresh.
    void reload(bool replay, std::chrono::milliseconds grace);
    // A reload has begun and the new session has not been started yet.
    bool reloading() const { return phase_ == phase::reloading; }
    // The most operator lines a reload replays (defaultReplayLimit).
    void setReplayLimit(std::size_t lines) { replayLimit_ = lines; }

    // The stop: the session is told no more lines come; its end is the end.
    void stop();
    // Kills the session process; `why` becomes the session's end.
    void kill(const std::string& why);
    // Whether no session process runs.
    bool finished() const { return !worker_ || worker_->over; }
    // The last transcript line, for a session that could not start.
    const std::string& lastLine() const { return lastLine_; }

private:
    // Where the relay is. Stopping and killing end it from any phase; a
    // reload goes from serving through reloading and reloaded back to serving.
    enum class phase {
        starting,   // the first session runs; the pages are not served yet
        serving,    // the pages are served; rebuilds are followed when asked for
        reloading,  // the module file changed: the old session is going
        reloaded,   // the new session runs; its first state tells the pages of the reload
        stopping,   // no more lines come: the session's end is the end
        killed,     // the session process was killed: `killReason_` is the end
    };

    // A line sent to the session process, waiting for its outcome.
    struct pendingLine {
        std::string line;
        outcomeSink answered;  // null for a line given again after a reload
    };

    // The session process of the moment, with what waits for it.
    struct worker {
        worker(boost::asio::io_context& io, std::chrono::milliseconds callLimit)
            : process(callLimit), output(io), poll(io)
        {
        }
        workerProcess process;
        channelWait output;  // the process's messages
        // Looks at the process between its messages: the call limit, and an
        // end while a process it started holds its channel.
        boost::asio::steady_timer poll;
        std::deque<pendingLine> pending;  // in the order sent
        bool toldEnd = false;             // the process told the session's end
        bool over = false;
    };

    bool startWorker(std::string& problem);
    void awaitOutput();
    void awaitPoll();
    void takeMessages();
    void workerEnded();
    void startReloaded();
    // True when the message was the session's end.
    bool relayMessage(const nlohmann::json& message);
    void takeOutcome(const operatorOutcome& outcome);
    void keepForReplay(const std::string& line);
    // Tells every line still waiting that the session ended, and `why`.
    void answerPending(worker& ended, const std::string& why);
    void tell(const std::string& line);
    void publishEnding(const std::string& message, bool failed);
    void changed();
    // Whether a session that ends by itself waits for the next rebuild.
    bool followingRebuilds() const;

    boost::asio::io_context& io_;
    hostSetup setup_;
    eventHub& hub_;
    const bool followsRebuilds_;
    const std::chrono::milliseconds callLimit_;
    std::function<void()> changed_;
    phase phase_ = phase::starting;
    bool replay_ = false;  // the reload gives the new session the operator lines so far

    std::unique_ptr<worker> worker_;
    boost::asio::steady_timer reloadGrace_;
    std::vector<std::string> operatorLines_;
    std::size_t replayLimit_ = defaultReplayLimit;
    bool pastReplayLimit_ = false;  // operatorLines_ dropped: the next reload starts afresh
    std::string lastLine_;
    std::string killReason_;
    std::string reloadNote_;  // what the reloaded session's first state tells
};

}  // namespace panel_host
