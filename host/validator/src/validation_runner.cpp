#include "validation_runner.h"

#include "event_vocabulary.h"
#include "check_result.h"
#include "check_support.h"
#include "probe_keys.h"

#include <algorithm>
#include <map>
#include <sstream>

namespace panel_host {

namespace {

std::chrono::milliseconds since(std::chrono::steady_clock::time_point started)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
}

// '*' matches any run of characters; iterative, with one backtrack point.
bool wildcardMatch(const std::string& pattern, const std::string& text)
{
    std::size_t p = 0;
    std::size_t t = 0;
    std::size_t starP = std::string::npos;
    std::size_t starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starT = t;
        } else if (p < pattern.size() && pattern[p] == text[t]) {
            ++p;
            ++t;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

bool matchesAny(const std::vector<std::string>& patterns, const std::string& name)
{
    return std::any_of(patterns.begin(), patterns.end(),
                       [&](const std::string& pattern) { return matchesCheckPattern(pattern, name); });
}

// The first need that ran and did not pass, or "".
std::string unmetNeed(const checkDefinition& check, const std::map<std::string, resultKind>& results)
{
    for (const std::string& need : check.needs) {
        const auto it = results.find(need);
        if (it != results.end() && it->second != resultKind::passed && it->second != resultKind::warning) {
            return need + " (" + resultKindName(it->second) + ")";
        }
    }
    return {};
}

}  // namespace

std::size_t validationReport::count(resultKind kind) const
{
    return static_cast<std::size_t>(
        std::count_if(records.begin(), records.end(), [kind](const checkRecord& r) { return r.result.kind == kind; }));
}

bool validationReport::passed() const
{
    return std::none_of(records.begin(), records.end(), [](const checkRecord& r) { return isFailure(r.result.kind); });
}

int validationReport::exitCode() const
{
    return passed() ? 0 : 1;
}

std::string validationReport::verdict() const
{
    std::string text = std::string(passed() ? "PASSED" : "FAILED") + ": " + std::to_string(records.size()) +
                       " checks: " + std::to_string(count(resultKind::passed)) + " passed, " +
                       std::to_string(count(resultKind::warning)) + " warning(s), " +
                       std::to_string(count(resultKind::failed)) + " failed, " +
                       std::to_string(count(resultKind::crashed)) + " crashed, " +
                       std::to_string(count(resultKind::timedOut)) + " timed out, " +
                       std::to_string(count(resultKind::skipped)) + " skipped";
    return text;
}

bool matchesCheckPattern(const std::string& pattern, const std::string& name)
{
    if (pattern.find_first_of(".*") == std::string::npos) {
        return name.compare(0, pattern.size() + 1, pattern + ".") == 0;
    }
    return wildcardMatch(pattern, name);
}

std::vector<const checkDefinition*> selectChecks(const std::vector<checkDefinition>& checks,
                                                 const std::vector<std::string>& include,
                                                 const std::vector<std::string>& exclude)
{
    std::vector<const checkDefinition*> selected;
    for (const checkDefinition& check : checks) {
        if ((include.empty() || matchesAny(include, check.name)) && !matchesAny(exclude, check.name)) {
            selected.push_back(&check);
        }
    }
    return selected;
}

nlohmann::json checkResultToJson(const checkResult& result)
{
    return {{"result", resultKindName(result.kind)}, {"details", result.details}};
}

checkResult checkResultFromJson(const nlohmann::json& value)
{
    checkResult result;
    const std::optional<resultKind> kind =
        value.is_object() ? resultKindFromName(value.value("result", "")) : std::nullopt;
    if (!kind) {
        result.kind = resultKind::failed;
        result.details = "the check gave no readable result";
        return result;
    }
    result.kind = *kind;
    result.details = value.value("details", "");
    return result;
}

checkResult resultOfProbe(const probeOutcome& outcome, std::chrono::milliseconds limit)
{
    if (outcome.how == probeOutcome::ending::finished) {
        return checkResultFromJson(outcome.value);
    }
    checkResult result;
    const progressNote last = outcome.lastNote();
    if (outcome.how == probeOutcome::ending::timedOut) {
        result.kind = resultKind::timedOut;
        result.details = "no end within " + std::to_string(limit.count()) + " ms";
    } else {
        result.kind = resultKind::crashed;
        result.details = outcome.problem;
    }
    if (!last.text.empty()) {
        result.details += "\nduring: " + last.text;
    }
    if (!outcome.output.empty()) {
        result.details += "\nlast output:\n" + printableText(outcome.output, 3000);
    }
    return result;
}

std::string checkProbeKey(const checkDefinition& check)
{
    return "check " + check.name;
}

std::string sequenceProbeKey(std::uint64_t seed, std::size_t length)
{
    return "sequence " + std::to_string(seed) + " " + std::to_string(length);
}

probeBody probeOfKey(const validationSettings& settings, const eventVocabulary& vocabulary, probeRunner& probes,
                     const std::string& key)
{
    const std::string checkPrefix = "check ";
    if (key.compare(0, checkPrefix.size(), checkPrefix) == 0) {
        const std::string name = key.substr(checkPrefix.size());
        for (const checkDefinition& check : registeredChecks()) {
            if (check.name == name) {
                return [&settings, &vocabulary, &probes, &check](progressChannel& progress) {
                    const checkContext context{settings, vocabulary, probes, progress};
                    return checkResultToJson(check.run(context));
                };
            }
        }
        return nullptr;
    }
    std::istringstream words(key);
    std::string kind;
    std::uint64_t seed = 0;
    std::size_t length = 0;
    if (words >> kind >> seed >> length && kind == "sequence" && (words >> std::ws).eof()) {
        return sequenceProbe(settings, vocabulary, seed, length);
    }
    return nullptr;
}

validationReport runValidation(const validationSettings& settings, const std::vector<const checkDefinition*>& checks,
                               probeRunner& probes, validationListener* listener)
{
    validationReport report;
    report.modulePath = settings.modulePath;
    const auto started = std::chrono::steady_clock::now();
    const eventVocabulary vocabulary = buildVocabulary(settings.layoutFolder, settings.devices);
    std::map<std::string, resultKind> results;
    for (const checkDefinition* check : checks) {
        if (listener != nullptr) {
            listener->checkStarting(*check);
        }
        const auto checkStarted = std::chrono::steady_clock::now();
        checkResult result;
        const std::string need = unmetNeed(*check, results);
        if (!need.empty()) {
            result = checkResult::skipped("needs " + need);
        } else if (check->supervises) {
            silentProgress quiet;
            const checkContext context{settings, vocabulary, probes, quiet};
            result = check->run(context);
        } else {
            const probeOutcome outcome =
                probes.run(checkProbeKey(*check), probeOfKey(settings, vocabulary, probes, checkProbeKey(*check)),
                           settings.timeout);
            result = resultOfProbe(outcome, settings.timeout);
        }
        result.details = printableText(result.details, 20000);
        result.duration = since(checkStarted);
        results[check->name] = result.kind;
        report.records.push_back({check->name, check->description, result});
        if (listener != nullptr) {
            listener->checkFinished(report.records.back());
        }
    }
    report.duration = since(started);
    return report;
}

}  // namespace panel_host
