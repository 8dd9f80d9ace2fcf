// The notify boundary: codes a script must ignore, a null give-back, the
// texts it returns for queries, and timer ids in the payload's place.
#include "check_support.h"

#include "event_generator.h"

namespace panel_host {

namespace {

std::vector<hostEvent> notifications(const std::vector<notification>& list)
{
    std::vector<hostEvent> events;
    for (const notification& n : list) {
        events.push_back(hostEvent::notify(n));
    }
    return events;
}

// Problems of calls that had to return null and send nothing.
std::string silentCallProblems(const recordedRun& run, notification::kind kind)
{
    std::string problems;
    for (const sessionRecorder::callRecord& call : run.recorder.calls()) {
        if (call.step < 0 || call.n.what != kind) {
            continue;
        }
        if (call.result != nullptr) {
            problems += printableText(call.n.describe(), 200) + ": returned '" +
                        printableText(call.resultText.value_or(""), 200) + "' instead of null\n";
        }
        if (call.sends > 0) {
            problems +=
                printableText(call.n.describe(), 200) + ": sent " + std::to_string(call.sends) + " command(s)\n";
        }
    }
    return problems;
}

// Delivers `list`, each of which the script must answer with null and no
// command.
checkResult checkSilentCalls(const checkContext& context, const std::vector<notification>& list,
                             const std::string& passed)
{
    const recordedRun run = runModule(context.settings, notifications(list), nullptr, context.progress);
    if (!run.loaded) {
        return notCreated(run);
    }
    const std::string problems = silentCallProblems(run, list.front().what);
    return problems.empty() ? checkResult::passed(passed) : checkResult::failed(problems);
}

checkResult checkUnknownCodes(const checkContext& context)
{
    return checkSilentCalls(context,
                            {notification::other(0), notification::other(8), notification::other(-1),
                             notification::other(1000), notification::other(intMax), notification::other(intMin)},
                            "codes 0, 8, -1, 1000, 2147483647 and -2147483648 were ignored");
}

checkResult checkNullRelease(const checkContext& context)
{
    return checkSilentCalls(context, {notification::release(nullptr, ""), notification::release(nullptr, "")},
                            "code 5 with null returned null and sent nothing, twice");
}

checkResult checkQueryReplies(const checkContext& context)
{
    std::vector<notification> queries;
    for (const std::optional<std::string>& text : probingQueries()) {
        queries.push_back(notification::query(text));
    }
    const std::vector<hostEvent> events = notifications(queries);
    const recordedRun run = runModule(context.settings, events, nullptr, context.progress);
    if (!run.loaded) {
        return notCreated(run);
    }
    const std::vector<sessionRecorder::callRecord>& calls = run.recorder.calls();
    std::string problems;
    std::size_t replies = 0;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const sessionRecorder::callRecord& call = calls[i];
        if (call.n.what != notification::kind::query || call.result == nullptr) {
            continue;
        }
        ++replies;
        const std::string query = printableText(call.n.describe(), 100);
        if (call.resultImage) {
            problems += query + ": the reply lies in the static data of " + *call.resultImage +
                        ", not in a heap buffer the host can give back\n";
        }
        const bool givenBack = i + 1 < calls.size() && calls[i + 1].n.what == notification::kind::release &&
                               calls[i + 1].n.pointer == call.result;
        if (!givenBack) {
            problems += query + ": the host did not give the reply back at once\n";
        } else if (calls[i + 1].result != nullptr || calls[i + 1].sends > 0) {
            problems += query + ": giving the reply back with code 5 returned a text or sent commands\n";
        }
    }
    if (!problems.empty()) {
        return checkResult::failed(problems);
    }
    return checkResult::passed(std::to_string(events.size()) + " queries, " + std::to_string(replies) +
                               " non-null replies, each a heap buffer given back once with code 5");
}

checkResult checkTimerPayload(const checkContext& context)
{
    std::vector<notification> ticks;
    for (std::int32_t id : {1, 2, 0, -1, 4096, 12345, intMax, intMin}) {
        ticks.push_back(notification::timer(id));
    }
    const std::vector<hostEvent> events = notifications(ticks);
    const recordedRun run = runModule(context.settings, events, nullptr, context.progress);
    if (!run.loaded) {
        return notCreated(run);
    }
    std::string problems;
    for (const sessionRecorder::callRecord& call : run.recorder.calls()) {
        if (call.n.what == notification::kind::timer && call.result != nullptr) {
            problems += printableText(call.n.describe(), 100) + ": returned a text instead of null\n";
        }
    }
    return problems.empty() ? checkResult::passed("8 ticks with ids that are not addresses were taken as ids")
                            : checkResult::failed(problems);
}

}  // namespace

std::vector<checkDefinition> boundaryChecks()
{
    return {
        {"boundary.unknown-codes",
         "notify codes 0, 8, -1 and large values return null and send nothing",
         checkUnknownCodes,
         {"loading.creates-object"},
         false},
        {"boundary.null-release",
         "notify code 5 with a null payload does nothing",
         checkNullRelease,
         {"loading.creates-object"},
         false},
        {"boundary.query-replies",
         "every non-null code 3 result is a heap buffer of the module, given back once",
         checkQueryReplies,
         {"loading.creates-object"},
         false},
        {"boundary.timer-payload",
         "code 4 payloads are timer ids and are never dereferenced",
         checkTimerPayload,
         {"loading.creates-object"},
         false},
    };
}

}  // namespace panel_host
