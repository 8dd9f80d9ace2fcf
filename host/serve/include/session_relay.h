#pragma once

#include "event_hub.h"
#include "scenario_runner.h"
#include "worker_process.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace panel_host {

// serve's session as the pages see it: the session process (one worker at a
// time), a thread that relays its messages to the hub and to standard output
// and error, and the operator lines it took, so that a reloaded module can
// be given them again.
class sessionRelay {
public:
    // `followsRebuilds`: once serving, a session that ends by itself (the
    // module cannot be loaded, crashed or hung) is a notice on the pages, not
    // the end: serve waits for the next rebuild. A call into the module that
    // takes longer than `callLimit` ends the session.
    sessionRelay(hostSetup setup, eventHub& hub, bool followsRebuilds,
                 std::chrono::milliseconds callLimit = defaultCallLimit);
    ~sessionRelay();
    sessionRelay(const sessionRelay&) = delete;
    sessionRelay& operator=(const sessionRelay&) = delete;

    // Starts the first session. Call before the program starts threads.
    bool start(std::string& problem);
    // The pages are being served: from now on rebuilds are followed.
    void serving() { serving_ = true; }
    // Sends one operator line; false when no session takes it.
    bool send(const std::string& line);
    // Ends the session (its script deleted, the module unloaded; killed if it
    // has not gone within `grace`), loads the module file again and, with
    // `replay`, sends it the operator lines so far; else starts afresh.
    void reload(bool replay, std::chrono::milliseconds grace);

    // The stop: the session is told no more lines come; its end is the end.
    void stop();
    // Kills the session process; `why` becomes the session's end.
    void kill(const std::string& why);
    bool killed() const { return killed_; }
    // Whether the relay thread is done: the session process ended.
    bool finished() const { return relayDone_; }
    // Waits for the relay thread (after the session ended or was killed).
    void join();
    // The last transcript line, for a session that could not start.
    std::string lastLine() const;

private:
    bool startWorker(std::string& problem);
    void relay(workerProcess& worker, unsigned generation);
    // True when the message was the session's end.
    bool relayMessage(const nlohmann::json& message, unsigned generation);
    void tell(const std::string& line);
    void publishEnding(const std::string& message, bool failed);

    hostSetup setup_;
    eventHub& hub_;
    const bool followsRebuilds_;
    const std::chrono::milliseconds callLimit_;
    std::atomic<bool> serving_{false};
    std::atomic<bool> stopping_{false};
    std::atomic<bool> reloading_{false};
    std::atomic<bool> killed_{false};
    std::atomic<bool> relayDone_{false};
    std::atomic<bool> sessionOver_{false};  // the session process told its end

    std::mutex sending_;  // one worker at a time takes lines, in order
    std::unique_ptr<workerProcess> worker_;
    std::vector<std::string> operatorLines_;
    unsigned generation_ = 0;
    bool reloadedShown_ = true;
    std::thread relayThread_;
    mutable std::mutex lastLineLock_;
    std::string lastLine_;
    std::string killReason_;
    std::string reloadNote_;  // what the reloaded session's first state tells
};

}  // namespace panel_host
