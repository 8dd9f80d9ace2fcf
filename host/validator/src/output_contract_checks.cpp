// The output contract: what a script sends during the tour of its panel.
// Each check runs the tour in its own process and judges one rule.
#include "check_support.h"

#include "command_text.h"
#include "event_generator.h"
#include "notify_codes.h"

namespace panel_host {

namespace {

checkResult judgeTour(const checkContext& context, const std::vector<breachKind>& kinds, const std::string& passed)
{
    const std::vector<hostEvent> events = tourEvents(context.vocabulary);
    const recordedRun run = runModule(context.settings, events, nullptr, context.progress);
    return judgeBreaches(run, events, kinds,
                         passed + " (" + std::to_string(run.recorder.sends().size()) + " sends over " +
                             std::to_string(events.size()) + " events)");
}

bool isAs(const sessionRecorder::sendRecord& send)
{
    if (send.code != sendExecute) {
        return false;
    }
    const commandParse parsed = parseCommandText(send.text);
    return parsed.ok && parsed.command.code == commandCode::AS;
}

checkResult checkSendCodes(const checkContext& context)
{
    return judgeTour(context, {breachKind::unknownSendCode, breachKind::reservedEntryCalled},
                     "every send used code 0 or 5");
}

checkResult checkCommandTexts(const checkContext& context)
{
    return judgeTour(context, {breachKind::unparsableCommand}, "every command text parsed");
}

checkResult checkGiveBack(const checkContext& context)
{
    return judgeTour(context,
                     {breachKind::releaseOfUnknownPointer, breachKind::repeatedRelease, breachKind::releaseOfKeptReply},
                     "every give-back was of a reading reply of this host, once");
}

checkResult checkReadingReplies(const checkContext& context)
{
    return judgeTour(context, {breachKind::replyNeverGivenBack}, "every reading reply was given back in time");
}

checkResult checkCallingThread(const checkContext& context)
{
    return judgeTour(context, {breachKind::sendFromOtherThread, breachKind::sendBetweenCalls},
                     "every send came from the host's thread, during a call into the script");
}

checkResult checkFinalAs(const checkContext& context)
{
    const std::vector<hostEvent> events = tourEvents(context.vocabulary);
    const recordedRun run = runModule(context.settings, events, nullptr, context.progress);
    if (!run.loaded) {
        return notCreated(run);
    }
    const std::vector<sessionRecorder::sendRecord>& sends = run.recorder.sends();
    std::vector<std::size_t> asAt;
    for (std::size_t i = 0; i < sends.size(); ++i) {
        if (isAs(sends[i])) {
            asAt.push_back(i);
        }
    }
    if (asAt.empty()) {
        return checkResult::failed("no \"AS\" was sent when the script was destroyed");
    }
    if (asAt.size() > 1) {
        std::string where;
        for (std::size_t i : asAt) {
            where += "\n\"AS\" during " + stepName(sends[i].step, sends[i].unloading, events);
        }
        return checkResult::failed("\"AS\" was sent " + std::to_string(asAt.size()) + " times:" + where);
    }
    const sessionRecorder::sendRecord& as = sends[asAt.front()];
    if (!as.unloading) {
        return checkResult::failed("\"AS\" was sent during " + stepName(as.step, false, events) +
                                   ", before the script was destroyed");
    }
    if (asAt.front() + 1 != sends.size()) {
        const sessionRecorder::sendRecord& next = sends[asAt.front() + 1];
        return checkResult::failed(std::to_string(sends.size() - asAt.front() - 1) +
                                   " send(s) followed \"AS\", the first with code " + std::to_string(next.code) + ": " +
                                   printableText(next.text, 200));
    }
    return checkResult::passed("\"AS\" was sent once, last, when the script was destroyed");
}

}  // namespace

std::vector<checkDefinition> outputContractChecks()
{
    return {
        {"output.send-codes",
         "every send uses code 0 or 5, and the host's reserved entry is never called",
         checkSendCodes,
         {"loading.creates-object"},
         false},
        {"output.command-texts",
         "every code 0 text is a known command with the right field shapes",
         checkCommandTexts,
         {"loading.creates-object"},
         false},
        {"output.give-back",
         "code 5 gives back only replies of reading commands this host handed out, each once",
         checkGiveBack,
         {"loading.creates-object"},
         false},
        {"output.reading-replies",
         "every reading reply is given back before the call that received it returns",
         checkReadingReplies,
         {"loading.creates-object"},
         false},
        {"output.calling-thread",
         "every send comes from the thread the host calls on, during a call into the script",
         checkCallingThread,
         {"loading.creates-object"},
         false},
        {"output.final-as",
         "\"AS\" is sent exactly once, as the script's last command, when it is destroyed",
         checkFinalAs,
         {"loading.creates-object"},
         false},
    };
}

}  // namespace panel_host
