// Host variants: no host object at all, a host that answers null, a host
// that answers garbage to the commands whose replies the script reads.
#include "checks.h"

#include "check_support.h"
#include "event_generator.h"
#include "morv_client_callback.h"
#include "notification_call.h"
#include "notify_codes.h"
#include "printable_text.h"
#include "probing_replies.h"
#include "script_loader.h"

namespace panel_host {

namespace {

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
