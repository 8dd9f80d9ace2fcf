// Host variants: no host object at all, a host that answers null, a host
// that answers garbage to the commands whose replies the script reads.
#include "check_support.h"

#include "command_text.h"
#include "event_generator.h"
#include "morv_client_callback.h"
#include "notification_delivery.h"
#include "notify_codes.h"
#include "reply_policy.h"
#include "script_loader.h"

namespace panel_host {

namespace {

// Calls script.notify as a host does that has no session (a script created
// with a null host). An exception from the script gives null.
const char* callNotify(morv_client_callback& script, const notification& n)
{
    try {
        return deliverNotification(script, n);
    } catch (...) {
        return nullptr;
    }
}

// A host that answers null to every command.
class nullReplies final : public replyPolicy {
public:
    std::optional<std::string> reply(const std::string&, const std::optional<std::string>&) override
    {
        return std::nullopt;
    }
};

// A host that answers garbage to every reading command ("SD", "TG", "XI",
// "RN"): empty and blank texts, stray quotes and '=', huge numbers, bytes
// above 0x7F, a very long text, more tokens than a decoder keeps. The texts
// come in a fixed order, so a run is reproducible. Other commands get the
// model's reply.
class garbageReplies final : public replyPolicy {
public:
    std::optional<std::string> reply(const std::string& commandText,
                                     const std::optional<std::string>& modelReply) override
    {
        const commandParse parsed = parseCommandText(commandText);
        if (!parsed.ok || !isReadingCommand(parsed.command.code)) {
            return modelReply;
        }
        const std::string& text = garbage_[next_];
        next_ = (next_ + 1) % garbage_.size();
        return text;
    }

private:
    const std::vector<std::string> garbage_{"",
                                            " ",
                                            "'",
                                            "''",
                                            "=",
                                            "==",
                                            "garbage",
                                            "-1",
                                            "2147483648",
                                            "99999999999999999999",
                                            "0 'unclosed",
                                            "1 'B4 Audio Router' 7 8 9",
                                            "\x7F\x80\xFF\xFE",
                                            std::string(5000, 'g'),
                                            manyTokens(),
                                            "all=1,2,3",
                                            "%1%2%3%s%n%d",
                                            "\t1\t'x'"};
    std::size_t next_ = 0;

    static std::string manyTokens()
    {
        std::string tokens;
        for (int i = 0; i < 40; ++i) {
            tokens += "7 ";
        }
        return tokens;
    }
};

checkResult checkNullHost(const checkContext& context)
{
    const std::vector<hostEvent> events = tourEvents(context.vocabulary);
    scriptLoader loader;
    context.progress.note("start-up with a null host");
    const loadOutcome loaded = loader.load(context.settings.modulePath, nullptr, context.settings.layoutFolder);
    if (!loaded.ok) {
        return checkResult::failed("no script with a null host: " + printableText(loaded.message));
    }
    std::size_t delivered = 0;
    for (std::size_t i = 0; i < events.size(); ++i) {
        // Without a host there is no clock and no router: only notifications.
        if (events[i].what != hostEvent::kind::notify) {
            continue;
        }
        context.progress.note(stepName(static_cast<std::int64_t>(i), false, events), static_cast<std::int64_t>(i));
        const char* result = callNotify(*loader.script(), events[i].n);
        if (events[i].n.code == notifyQuery && result != nullptr) {
            callNotify(*loader.script(), notification::release(result, ""));
        }
        ++delivered;
    }
    context.progress.note("unload");
    loader.unload();
    return checkResult::passed("created with a null host, took " + std::to_string(delivered) +
                               " notifications and was destroyed");
}

checkResult checkNullReplies(const checkContext& context)
{
    const std::vector<hostEvent> events = tourEvents(context.vocabulary);
    nullReplies policy;
    const recordedRun run = runModule(context.settings, events, &policy, context.progress);
    return judgeBreaches(
        run, events, {},
        "every command answered with null: " + std::to_string(events.size()) + " events without a crash or a breach");
}

checkResult checkGarbageReplies(const checkContext& context)
{
    const std::vector<hostEvent> events = tourEvents(context.vocabulary);
    garbageReplies policy;
    const recordedRun run = runModule(context.settings, events, &policy, context.progress);
    // Scripts put names from replies into their commands verbatim, so a
    // garbage name may make a command unparsable: not judged here.
    return judgeBreaches(
        run, events,
        {breachKind::unknownSendCode, breachKind::releaseOfUnknownPointer, breachKind::repeatedRelease,
         breachKind::replyNeverGivenBack, breachKind::releaseOfKeptReply, breachKind::endlessNotifications,
         breachKind::reservedEntryCalled, breachKind::sendFromOtherThread, breachKind::sendBetweenCalls},
        "every reading command answered with garbage: " + std::to_string(events.size()) +
            " events without a crash or a breach");
}

}  // namespace

std::vector<checkDefinition> hostVariantChecks()
{
    return {
        {"host.null-host",
         "a script created with a null host takes a run of events and is destroyed without a crash",
         checkNullHost,
         {"loading.entry-point"},
         false},
        {"host.null-replies",
         "a host that answers null to every command: no crash, no contract breach",
         checkNullReplies,
         {"loading.creates-object"},
         false},
        {"host.garbage-replies",
         "a host that answers garbage to every reading command: no crash, no contract breach",
         checkGarbageReplies,
         {"loading.creates-object"},
         false},
    };
}

}  // namespace panel_host
