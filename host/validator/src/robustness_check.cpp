// Robustness: seeded random event sequences, each in a probe of its own.
// When one fails, fresh probes of ever shorter prefixes find the shortest
// prefix that still fails, and the report names its seed and events.
#include "check_support.h"

#include "event_generator.h"
#include "module_run.h"
#include "probe_keys.h"
#include "scenario_line.h"

#include <algorithm>

namespace panel_host {

namespace {

struct sequenceVerdict {
    bool failed = false;
    resultKind kind = resultKind::passed;
    std::string what;            // the first breach, the crash or the hang, and where
    std::size_t reproduces = 0;  // a prefix of this many events should fail the same way
};

nlohmann::json runSequence(const validationSettings& settings, const std::vector<hostEvent>& events,
                           progressChannel& progress)
{
    const recordedRun run = runModule(settings, events, nullptr, progress);
    nlohmann::json breaches = nlohmann::json::array();
    for (const sessionRecorder::breachRecord& b : run.recorder.breaches()) {
        breaches.push_back({{"kind", breachKindName(b.breach.kind)},
                            {"detail", printableText(b.breach.detail, 300)},
                            {"step", b.unloading ? static_cast<std::int64_t>(events.size()) : b.step},
                            {"where", stepName(b.step, b.unloading, events)}});
    }
    return {{"loaded", run.loaded}, {"problem", printableText(run.loadProblem)}, {"breaches", breaches}};
}

// The events up to and including `step` (-1: start-up, none).
std::size_t eventsThrough(std::int64_t step, std::size_t total)
{
    return step < 0 ? 0 : std::min(static_cast<std::size_t>(step) + 1, total);
}

sequenceVerdict judge(const probeOutcome& outcome, std::size_t total, std::chrono::milliseconds limit)
{
    sequenceVerdict verdict;
    const progressNote last = outcome.lastNote();
    if (outcome.how == probeOutcome::ending::crashed) {
        return {true, resultKind::crashed, outcome.problem + " during " + last.text, eventsThrough(last.step, total)};
    }
    if (outcome.how == probeOutcome::ending::timedOut) {
        return {true, resultKind::timedOut,
                "no end within " + std::to_string(limit.count()) + " ms, during " + last.text,
                eventsThrough(last.step, total)};
    }
    if (!outcome.value.value("loaded", false)) {
        return {true, resultKind::failed, "the script was not created: " + outcome.value.value("problem", ""), 0};
    }
    const nlohmann::json& breaches = outcome.value["breaches"];
    if (breaches.empty()) {
        return verdict;
    }
    const nlohmann::json& first = breaches.front();
    std::string what =
        first.value("kind", "") + " during " + first.value("where", "") + ": " + first.value("detail", "");
    if (breaches.size() > 1) {
        what += " (and " + std::to_string(breaches.size() - 1) + " more breaches)";
    }
    return {true, resultKind::failed, what, eventsThrough(first.value("step", std::int64_t{-1}), total)};
}

class sequenceProber {
public:
    sequenceProber(const checkContext& context, std::uint64_t seed, const std::vector<hostEvent>& events)
        : context_(context), seed_(seed), events_(events)
    {
    }

    sequenceVerdict probe(std::size_t length)
    {
        const validationSettings& settings = context_.settings;
        const probeOutcome outcome =
            context_.probes.run(sequenceProbeKey(seed_, length),
                                sequenceProbe(settings, context_.vocabulary, seed_, length), settings.timeout);
        return judge(outcome, length, settings.timeout);
    }

    // The shortest failing prefix, assuming that a failing prefix stays
    // failing when events are added: the prefix the failure points at is
    // tried first, then a binary search below it.
    std::size_t shortestFailing(const sequenceVerdict& whole, sequenceVerdict& verdict)
    {
        std::size_t high = events_.size();
        verdict = whole;
        if (whole.reproduces < high) {
            const sequenceVerdict pointed = probe(whole.reproduces);
            if (pointed.failed) {
                high = whole.reproduces;
                verdict = pointed;
            }
        }
        std::size_t low = 0;
        while (low < high) {
            const std::size_t middle = low + (high - low) / 2;
            const sequenceVerdict tried = probe(middle);
            if (tried.failed) {
                high = middle;
                verdict = tried;
            } else {
                low = middle + 1;
            }
        }
        return high;
    }

private:
    const checkContext& context_;
    const std::uint64_t seed_;
    const std::vector<hostEvent>& events_;
};

// Whether `line` makes the scenario runner deliver `event` as it is: no
// comment, blank or missing text changes what it carries, and the report
// shows it unescaped.
bool carriesExactly(const std::string& line, const hostEvent& event)
{
    const scenarioLineParse parsed = parseScenarioLine(line, 1);
    if (!parsed.ok || printableText(line) != line) {
        return false;
    }
    const scenarioLine& read = parsed.line;
    const notification& n = event.n;
    if (event.what != hostEvent::kind::notify) {
        return true;
    }
    // The line quotes in plain ASCII, so that any code page reads it alike.
    const auto bytes = [](bool given, const std::string& text) -> std::optional<std::string> {
        std::string out;
        std::string problem;
        if (!given || !textToHostBytes(text, codePage::utf8, out, problem)) {
            return std::nullopt;
        }
        return out;
    };
    switch (n.what) {
    case notification::kind::tally:
        return bytes(true, read.rest) == n.text.value_or("");
    case notification::kind::button:
        return bytes(!read.nullWords[0], read.words[0]) == n.panel &&
               bytes(!read.nullWords[1], read.words[1]) == n.control && bytes(read.hasRest, read.rest) == n.event;
    case notification::kind::query:
        return bytes(read.hasRest, read.rest) == n.text;
    case notification::kind::timer:
    case notification::kind::release:
    case notification::kind::other:
    case notification::kind::null:
        break;
    }
    return read.what != scenarioLine::kind::blank;
}

// The events as scenario lines for `panel-host play`, one per line, each
// indented by two blanks; a line that cannot carry its event exactly is
// preceded by a comment that says so.
std::string scenarioOf(const std::vector<hostEvent>& events, std::size_t length)
{
    std::string lines;
    for (std::size_t i = 0; i < length; ++i) {
        const std::string line = events[i].scenarioLine();
        if (!carriesExactly(line, events[i])) {
            lines += "  # event " + std::to_string(i + 1) +
                     " is not exactly this line: " + printableText(events[i].describe(), 200) + "\n";
        }
        lines += "  " + printableText(line, 200) + "\n";
    }
    return lines;
}

std::string failureReport(const checkContext& context, std::uint64_t seed, const std::vector<hostEvent>& events,
                          std::size_t length, const sequenceVerdict& verdict)
{
    std::string report = "seed " + std::to_string(seed) + ": the shortest failing prefix has " +
                         std::to_string(length) + " of " + std::to_string(events.size()) + " events\n" + verdict.what +
                         "\nthat prefix as scenario lines (panel-host play --check replays them):\n" +
                         scenarioOf(events, length);
    if (length == 0) {
        report += "  (none: loading and unloading the module is enough)\n";
    }
    report += "replay: panel-host validate " + context.settings.modulePath +
              " --include robustness.random-events --seed " + std::to_string(seed) + " --events " +
              std::to_string(length) + " --sequences 1";
    return report;
}

checkResult checkRandomEvents(const checkContext& context)
{
    const validationSettings& settings = context.settings;
    for (std::size_t s = 0; s < settings.sequences; ++s) {
        const std::uint64_t seed = settings.seed + s;
        const std::vector<hostEvent> events = randomEvents(seed, settings.events, context.vocabulary);
        sequenceProber prober(context, seed, events);
        const sequenceVerdict whole = prober.probe(events.size());
        if (!whole.failed) {
            continue;
        }
        sequenceVerdict shortest;
        const std::size_t length = prober.shortestFailing(whole, shortest);
        return {shortest.kind, failureReport(context, seed, events, length, shortest), {}};
    }
    return checkResult::passed(std::to_string(settings.sequences) + " sequences of " + std::to_string(settings.events) +
                               " events (seeds " + std::to_string(settings.seed) + " to " +
                               std::to_string(settings.seed + settings.sequences - 1) +
                               "): no crash, no hang, no contract breach");
}

}  // namespace

probeBody sequenceProbe(const validationSettings& settings, const eventVocabulary& vocabulary, std::uint64_t seed,
                        std::size_t length)
{
    return [&settings, &vocabulary, seed, length](progressChannel& progress) {
        std::vector<hostEvent> events = randomEvents(seed, settings.events, vocabulary);
        events.resize(std::min(length, events.size()));
        return runSequence(settings, events, progress);
    };
}

std::vector<checkDefinition> robustnessChecks()
{
    return {
        {"robustness.random-events",
         "seeded random event sequences: no crash, no hang, no contract breach",
         checkRandomEvents,
         {"loading.creates-object"},
         true},
    };
}

}  // namespace panel_host
