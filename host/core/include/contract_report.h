#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace panel_host {

// The ways a script can break the host's calling rules.
enum class breachKind {
    unknownSendCode,          // send() with a code other than 0 and 5
    releaseOfUnknownPointer,  // code 5 with a pointer the host never gave
    repeatedRelease,          // code 5 with a reply already given back
    replyNeverGivenBack,      // a reading command's reply still held after the call returned
    releaseOfKeptReply,       // code 5 with the reply of a command whose reply is not to be given back
    unparsableCommand,        // a command text the host cannot parse
    endlessNotifications,     // more notifications raised by one call than the host delivers
    reservedEntryCalled,      // the first entry of the host's virtual table was called
    sendFromOtherThread,      // send() from a thread other than the one the host calls on
    sendBetweenCalls,         // send() on the host's thread outside any call into the script
};

// A short stable name for the kind ("unparsable-command"), for reports and tests.
const char* breachKindName(breachKind kind);

struct contractBreach {
    breachKind kind;
    std::string detail;  // readable, names the command or pointer concerned
};

// Every breach seen, counted per kind; the first maxListedBreaches are kept
// in order, so that a script that breaks a rule at every call does not make
// the report grow without end.
class contractReport {
public:
    static constexpr std::size_t maxListedBreaches = 1000;

    void add(contractBreach breach);
    std::size_t total() const { return total_; }
    std::size_t count(breachKind kind) const;
    // The first maxListedBreaches breaches, in order.
    const std::vector<contractBreach>& breaches() const { return breaches_; }
    // "no contract breaches", or one line per kind with its count, then
    // every breach listed (and how many more were not); lines end in '\n'.
    std::string summary() const;

private:
    std::vector<contractBreach> breaches_;
    std::map<breachKind, std::size_t> counts_;
    std::size_t total_ = 0;
};

}  // namespace panel_host
