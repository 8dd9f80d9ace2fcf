#include "contract_report.h"

#include "input_rules.h"

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
    ++total_;
    ++counts_[breach.kind];
    if (breaches_.size() < maxListedBreaches) {
        breaches_.push_back(std::move(breach));
    }
}

std::size_t contractReport::count(breachKind kind) const
{
    const auto it = counts_.find(kind);
    return it != counts_.end() ? it->second : 0;
}

std::string contractReport::summary() const
{
    if (total_ == 0) {
        return "no contract breaches\n";
    }
    std::string text = std::to_string(total_) + " contract breach(es):\n";
    for (breachKind kind : allKinds) {
        if (const std::size_t n = count(kind); n > 0) {
            text += "  " + std::string(breachKindName(kind)) + ": " + std::to_string(n) + "\n";
        }
    }
    for (const contractBreach& b : breaches_) {
        text += "  - " + std::string(breachKindName(b.kind)) + ": " + shownText(b.detail) + "\n";
    }
    if (total_ > breaches_.size()) {
        text += "  ... and " + std::to_string(total_ - breaches_.size()) + " more, not listed\n";
    }
    return text;
}

}  // namespace panel_host
