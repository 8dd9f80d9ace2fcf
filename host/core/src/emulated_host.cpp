#include "emulated_host.h"

#include "debug_output.h"
#include "input_rules.h"
#include "notify_codes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace panel_host {

namespace {

// The host whose call into a script is running on this thread; scripts
// write their debug output during such calls. A thread of the module's own
// has none, so its debug output never reaches the host's observers.
thread_local emulatedHost* hostInCall = nullptr;

// Stray sends held between two looks of the host's thread; past this many
// only their number is kept, so a runaway thread cannot exhaust memory.
constexpr std::size_t maxHeldStraySends = 4096;
// The longest command text a stray send's breach quotes.
constexpr std::size_t maxQuotedStrayText = 1024;

std::string straySendDetail(const char* text, std::int32_t code, breachKind kind, bool duringCall)
{
    std::string detail = "send(" + std::to_string(code) + ")";
    if (code == sendExecute && text != nullptr) {
        const std::size_t length = ::strnlen(text, maxQuotedStrayText + 1);
        const std::string quoted(text, std::min(length, maxQuotedStrayText));
        detail += " \"" + shownText(quoted) + (length > maxQuotedStrayText ? "...\"" : "\"");
    } else if (code == sendExecute) {
        detail += " with a null text";
    }
    if (kind == breachKind::sendFromOtherThread) {
        detail += duringCall ? " from another thread during a call" : " from another thread between calls";
    } else {
        detail += " between calls into the script";
    }
    return detail + "; not carried out";
}

}  // namespace

// Exported from the programs that link the host (see CMakeLists.txt; on
// Windows from the program itself), so that the tracing module writes the
// host's clock (trace_format.h): the clock of the host whose call into a
// script runs on this thread, or -1.
#if defined(_WIN32)
extern "C" __declspec(dllexport) long long morv_host_clock_milliseconds()
#else
extern "C" long long morv_host_clock_milliseconds()
#endif
{
    return hostInCall != nullptr ? static_cast<long long>(hostInCall->clockMilliseconds()) : -1;
}

// Exported from the programs that link the host (see CMakeLists.txt), so the
// framework in a loaded module finds it.
extern "C" void morv_host_debug_output(const char* text)
{
    if (hostInCall != nullptr) {
        hostInCall->debugOutput(text);
    } else {
        std::fprintf(stderr, "%s\n", shownText(text != nullptr ? text : "").c_str());
    }
}

emulatedHost::emulatedHost(commandInterpreter& interpreter, hostObserver& observer, std::size_t maxQueuedPerCall)
    : interpreter_(interpreter),
      observer_(observer),
      maxQueuedPerCall_(maxQueuedPerCall),
      hostThread_(callingThreadToken())
{
}

emulatedHost::~emulatedHost()
{
    if (hostInCall == this) {
        hostInCall = outerHostsInCall_.empty() ? nullptr : outerHostsInCall_.front();
    }
}

void emulatedHost::debugOutput(const char* text)
{
    observer_.debugOutput(text != nullptr ? text : "");
}

void emulatedHost::reserved()
{
    if (const std::optional<breachKind> stray = strayKind()) {
        holdStray(
            {breachKind::reservedEntryCalled,
             "the script called the first entry of the host's virtual table" +
                 std::string(*stray == breachKind::sendFromOtherThread ? " from another thread" : " between calls")});
        return;
    }
    reportBreach(breachKind::reservedEntryCalled, "the script called the first entry of the host's virtual table");
}

const char* emulatedHost::send(const char* text, std::int32_t code)
{
    if (const std::optional<breachKind> stray = strayKind()) {
        holdStray({*stray, straySendDetail(text, code, *stray, callDepth_.load() > 0)});
        return nullptr;
    }
    if (code == sendExecute) {
        return execute(text);
    }
    if (code == sendRelease) {
        release(text);
        return nullptr;
    }
    sentCommand sent;
    sent.code = code;
    sent.textWasNull = text == nullptr;
    observer_.commandSent(sent);
    reportBreach(breachKind::unknownSendCode, "send() with code " + std::to_string(code));
    return nullptr;
}

const char* emulatedHost::execute(const char* text)
{
    sentCommand sent;
    sent.code = sendExecute;
    sent.textWasNull = text == nullptr;
    sent.text = text != nullptr ? text : "";
    interpretation result;
    if (text == nullptr) {
        result.parseProblem = "a null command text";
    } else if (passive_) {
        const commandParse parse = parseCommandText(sent.text);
        result.parsed = parse.ok;
        result.parseProblem = parse.problem;
        result.code = parse.command.code;
    } else {
        result = interpreter_.execute(sent.text);
    }
    std::optional<std::string> reply = result.reply;
    if (policy_ != nullptr) {
        reply = policy_->reply(sent.text, reply);
    }
    const char* handedOut = nullptr;
    if (reply && result.parsed && isReadingCommand(result.code)) {
        handedOut = issue(sent.text, *reply, true);
    } else if (reply) {
        handedOut = keep(sent.text, *reply);
    }
    sent.reply = reply;
    observer_.commandSent(sent);
    for (const std::string& problem : result.diagnostics) {
        observer_.diagnostic(problem);
    }
    if (!result.parsed) {
        reportBreach(
            breachKind::unparsableCommand,
            (text == nullptr ? std::string("null text") : "\"" + sent.text + "\"") + ": " + result.parseProblem);
    }
    if (duringCommand_) {
        duringCommand_();
    }
    return handedOut;
}

const char* emulatedHost::issue(const std::string& command, const std::string& reply, bool mustGiveBack)
{
    issuedReply issued;
    issued.buffer = std::make_unique<char[]>(reply.size() + 1);
    std::memcpy(issued.buffer.get(), reply.c_str(), reply.size() + 1);
    issued.text = reply;
    issued.command = command;
    issued.mustGiveBack = mustGiveBack;
    const char* pointer = issued.buffer.get();
    replies_.emplace(pointer, std::move(issued));
    if (mustGiveBack) {
        awaitingGiveBack_.push_back(pointer);
    }
    return pointer;
}

// A reply the script is not to give back stays valid until the host ends;
// the same one again shares its buffer, so a script that repeats a command
// does not make the host hold more.
const char* emulatedHost::keep(const std::string& command, const std::string& reply)
{
    const auto [kept, added] = keptReplies_.try_emplace({command, reply}, nullptr);
    if (added) {
        kept->second = issue(command, reply, false);
    }
    return kept->second;
}

// A reply given back is remembered only for a while: then its buffer is
// freed and its address may be handed out again.
void emulatedHost::forgetOldGiveBacks()
{
    while (givenBack_.size() > maxRememberedGiveBacks) {
        replies_.erase(givenBack_.front());
        givenBack_.pop_front();
    }
}

void emulatedHost::release(const char* pointer)
{
    sentCommand sent;
    sent.code = sendRelease;
    sent.textWasNull = pointer == nullptr;
    const auto it = pointer != nullptr ? replies_.find(pointer) : replies_.end();
    if (it != replies_.end()) {
        // Only a buffer of ours is read; any other pointer is left untouched.
        sent.text = it->second.text;
        sent.releasedReplyOf = it->second.command;
    }
    observer_.commandSent(sent);
    if (pointer == nullptr) {
        return;
    }
    if (it == replies_.end()) {
        reportBreach(breachKind::releaseOfUnknownPointer, "gave back a pointer the host never handed out");
        return;
    }
    issuedReply& issued = it->second;
    if (issued.givenBack) {
        reportBreach(breachKind::repeatedRelease, "gave back the reply to \"" + issued.command + "\" again");
        return;
    }
    if (!issued.mustGiveBack) {
        // Shared by every command that got it: each give-back is this breach.
        reportBreach(breachKind::releaseOfKeptReply,
                     "gave back the reply to \"" + issued.command + "\", which is not to be given back");
        return;
    }
    issued.givenBack = true;
    givenBack_.push_back(pointer);
    forgetOldGiveBacks();
}

void emulatedHost::queueNotification(notification n)
{
    if (queuedThisCall_ >= maxQueuedPerCall_) {
        if (!overflowReported_) {
            overflowReported_ = true;
            reportBreach(breachKind::endlessNotifications, "one call raised more than " +
                                                               std::to_string(maxQueuedPerCall_) +
                                                               " notifications; the rest were dropped");
        }
        return;
    }
    ++queuedThisCall_;
    queue_.push_back(std::move(n));
}

notification emulatedHost::takeQueued()
{
    notification n = std::move(queue_.front());
    queue_.pop_front();
    return n;
}

std::size_t emulatedHost::discardQueued()
{
    const std::size_t dropped = queue_.size();
    queue_.clear();
    return dropped;
}

std::optional<breachKind> emulatedHost::strayKind() const
{
    if (callingThreadToken() != hostThread_.load()) {
        return breachKind::sendFromOtherThread;
    }
    if (callDepth_.load() == 0) {
        return breachKind::sendBetweenCalls;
    }
    return std::nullopt;
}

void emulatedHost::holdStray(contractBreach breach)
{
    const spinLockGuard lock(strayLock_);
    if (straySends_.size() < maxHeldStraySends) {
        straySends_.push_back(std::move(breach));
    } else {
        ++strayUnrecorded_;
    }
}

void emulatedHost::reportStraySends()
{
    std::vector<contractBreach> held;
    std::size_t unrecorded = 0;
    {
        const spinLockGuard lock(strayLock_);
        held.swap(straySends_);
        unrecorded = std::exchange(strayUnrecorded_, 0);
    }
    for (contractBreach& breach : held) {
        reportBreach(breach.kind, breach.detail);
    }
    if (unrecorded > 0) {
        reportBreach(
            breachKind::sendFromOtherThread,
            std::to_string(unrecorded) + " more send(s) from another thread or between calls; not carried out");
    }
}

void emulatedHost::openQueueBudget()
{
    queuedThisCall_ = 0;
    overflowReported_ = false;
}

void emulatedHost::beginCall()
{
    hostThread_.store(callingThreadToken());
    reportStraySends();
    outerHostsInCall_.push_back(hostInCall);
    hostInCall = this;
    giveBackMarks_.push_back(awaitingGiveBack_.size());
    if (callDepth_.load() == 0) {
        openQueueBudget();
    }
    ++callDepth_;
}

void emulatedHost::endCall()
{
    --callDepth_;
    hostInCall = outerHostsInCall_.back();
    outerHostsInCall_.pop_back();
    const std::size_t mark = giveBackMarks_.back();
    giveBackMarks_.pop_back();
    for (std::size_t i = mark; i < awaitingGiveBack_.size(); ++i) {
        const issuedReply& issued = replies_.at(awaitingGiveBack_[i]);
        if (!issued.givenBack) {
            reportBreach(breachKind::replyNeverGivenBack,
                         "the reply to \"" + issued.command + "\" was not given back before the call returned");
        }
    }
    awaitingGiveBack_.resize(mark);
    reportStraySends();
}

void emulatedHost::reportBreach(breachKind kind, const std::string& detail)
{
    contractBreach breach{kind, detail};
    report_.add(breach);
    observer_.breachFound(breach);
}

std::size_t emulatedHost::heldReadingReplies() const
{
    std::size_t held = 0;
    for (const auto& entry : replies_) {
        held += entry.second.mustGiveBack && !entry.second.givenBack ? 1 : 0;
    }
    return held;
}

}  // namespace panel_host
