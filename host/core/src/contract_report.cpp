#include "contract_report.h"

#include "input_rules.h"

#include <algorithm>

namespace panel_host {

namespace {
constexpr breachKind allKinds[] = {
    breachKind::unknownSendCode,      breachKind::releaseOfUnknownPointer, breachKind::repeatedRelease,
    breachKind::replyNeverGivenBack,  breachKind::releaseOfKeptReply,      breachKind::unparsableCommand,
    breachKind::endlessNotifications, breachKind::reservedEntryCalled,     breachKind::sendFromOtherThread,
    breachKind::sendBetweenCalls,
};
}  // namespace

const char* breachKindName(breachKind kind)
{
    switch (kind) {
    case breachKind::unknownSendCode:
        return "unknown-send-code";
    case breachKind::releaseOfUnknownPointer:
        return "release-of-unknown-pointer";
    case breachKind::repeatedRelease:
        return "repeated-release";
    case breachKind::replyNeverGivenBack:
        return "reply-never-given-back";
    case breachKind::releaseOfKeptReply:
        return "release-of-kept-reply";
    case breachKind::unparsableCommand:
        return "unparsable-command";
    case breachKind::endlessNotifications:
        return "endless-notifications";
    case breachKind::reservedEntryCalled:
        return "reserved-entry-called";
    case breachKind::sendFromOtherThread:
        return "send-from-other-thread";
    case breachKind::sendBetweenCalls:
        return "send-between-calls";
    }
    return "unknown";
}

void contractReport::add(contractBreach breach)
{
    breaches_.push_back(std::move(breach));
}

std::size_t contractReport::count(breachKind kind) const
{
    return static_cast<std::size_t>(
        std::count_if(breaches_.begin(), breaches_.end(), [kind](const contractBreach& b) { return b.kind == kind; }));
}

std::string contractReport::summary() const
{
    if (breaches_.empty()) {
        return "no contract breaches\n";
    }
    std::string text = std::to_string(breaches_.size()) + " contract breach(es):\n";
    for (breachKind kind : allKinds) {
        if (const std::size_t n = count(kind); n > 0) {
            text += "  " + std::string(breachKindName(kind)) + ": " + std::to_string(n) + "\n";
        }
    }
    for (const contractBreach& b : breaches_) {
        text += "  - " + std::string(breachKindName(b.kind)) + ": " + shownText(b.detail) + "\n";
    }
    return text;
}

}  // namespace panel_host
