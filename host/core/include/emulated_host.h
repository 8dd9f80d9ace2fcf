#pragma once

#include "command_interpreter.h"
#include "contract_report.h"
#include "host_observer.h"
#include "spin_lock.h"
#include "notification.h"
#include "reply_policy.h"
#include "script_host.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace panel_host {

// The script_host handed to a panel script. Code 0 runs the command through
// the interpreter and returns a reply buffer the host owns: it stays valid
// until given back with code 5 (replies the script must not give back, such
// as that of "PS", stay valid until the host is destroyed; the same command
// answered with the same such reply gets the same buffer). What the host
// holds does not grow with the number of calls: a reply given back is
// remembered, its buffer kept so that its address is not handed out again,
// only until maxRememberedGiveBacks later ones were given back. Every breach of
// the calling rules is counted in the contract report and told to the
// observer. Notifications raised while the script is inside send() are only
// queued here; the session delivers them after the current call returns.
//
// The session brackets every call into the script with beginCall() and
// endCall(); the thread that calls beginCall() is the host's thread. A send()
// from any other thread, or between calls, is a breach: it is not carried out
// (the models and observers belong to the host's thread), returns null and is
// held, under a lock, until the host's thread looks again (the next
// beginCall() or endCall(), or reportStraySends() at the end of a run). All
// else happens on the host's thread.
class emulatedHost : public script_host {
public:
    // How many replies given back are remembered, so that giving one back
    // again is told as repeated-release; a pointer given back before them
    // is one the host does not know (or, its address handed out again, the
    // reply it now points to).
    static constexpr std::size_t maxRememberedGiveBacks = 1024;

    // interpreter and observer must outlive the host. maxQueuedPerCall caps
    // the notifications one call into the script may raise.
    emulatedHost(commandInterpreter& interpreter, hostObserver& observer, std::size_t maxQueuedPerCall);
    virtual ~emulatedHost();
    emulatedHost(const emulatedHost&) = delete;
    emulatedHost& operator=(const emulatedHost&) = delete;

    void reserved() override;
    const char* send(const char* text, std::int32_t code) override;

    // Null restores the model's replies. Not owned.
    void setReplyPolicy(replyPolicy* policy) { policy_ = policy; }
    // Passive: commands are checked but not carried out; the model's reply
    // is always null, so only the reply policy answers.
    void setPassive(bool passive) { passive_ = passive; }
    // Runs inside every send(0), after the command was carried out, its
    // reply decided and the observer told, before send() returns: where the
    // session calls the script again from inside a command. Empty: nothing.
    void setDuringCommand(std::function<void()> hook) { duringCommand_ = std::move(hook); }

    // The host's clock (its timers'), in milliseconds.
    std::int64_t clockMilliseconds() const { return interpreter_.timers().now(); }

    // Adds a notification to the queue; past the per-call cap it is dropped
    // and one endless-notifications breach is reported for the call.
    void queueNotification(notification n);
    bool hasQueued() const { return !queue_.empty(); }
    notification takeQueued();
    // Drops the queue; returns how many were dropped.
    std::size_t discardQueued();

    // Around every call into the script: beginCall() opens a fresh queue
    // budget, endCall() reports the reading replies handed out during the
    // call and still held. Both report the stray sends held meanwhile. Calls
    // nest: a call made from inside a command ends before the one around it.
    void beginCall();
    void endCall();
    // A fresh queue budget for what the host raises itself (a route by
    // another controller), outside any call into the script.
    void openQueueBudget();
    // Reports the sends held from other threads or between calls, in the
    // order they came; on the host's thread.
    void reportStraySends();

    // A text of the script's debug output; morv_host_debug_output hands it
    // to the host whose call into the script is running.
    void debugOutput(const char* text);

    // Reports a breach found outside send() (the session's delivery caps).
    void reportBreach(breachKind kind, const std::string& detail);

    const contractReport& report() const { return report_; }
    // Replies of reading commands handed out and not yet given back.
    std::size_t heldReadingReplies() const;

private:
    struct issuedReply {
        std::unique_ptr<char[]> buffer;
        std::string text;
        std::string command;
        bool mustGiveBack = false;
        bool givenBack = false;
    };

    // The breach kind of a send() on the calling thread now, if it is stray.
    std::optional<breachKind> strayKind() const;
    void holdStray(contractBreach breach);
    const char* execute(const char* text);
    void release(const char* pointer);
    const char* issue(const std::string& command, const std::string& reply, bool mustGiveBack);
    const char* keep(const std::string& command, const std::string& reply);
    void forgetOldGiveBacks();

    commandInterpreter& interpreter_;
    hostObserver& observer_;
    replyPolicy* policy_ = nullptr;
    bool passive_ = false;
    contractReport report_;
    // Replies held by the script, kept replies, and the last ones given
    // back, marked, so that a second give-back is recognised.
    std::map<const char*, issuedReply> replies_;
    // Kept replies by command and reply text: one buffer each.
    std::map<std::pair<std::string, std::string>, const char*> keptReplies_;
    // Replies given back that replies_ still remembers, oldest first.
    std::deque<const char*> givenBack_;
    // Reading replies handed out during the calls under way, checked by
    // endCall(); where each call's own begin.
    std::vector<const char*> awaitingGiveBack_;
    std::vector<std::size_t> giveBackMarks_;
    std::deque<notification> queue_;
    std::size_t maxQueuedPerCall_;
    std::size_t queuedThisCall_ = 0;
    bool overflowReported_ = false;
    std::vector<emulatedHost*> outerHostsInCall_;  // restored by endCall(), innermost last
    std::function<void()> duringCommand_;

    // Read by any thread that calls send(); written by the host's thread.
    std::atomic<std::uintptr_t> hostThread_;
    std::atomic<int> callDepth_{0};
    spinLock strayLock_;
    std::vector<contractBreach> straySends_;  // under strayLock_
    std::size_t strayUnrecorded_ = 0;         // under strayLock_: past the cap
};

}  // namespace panel_host
