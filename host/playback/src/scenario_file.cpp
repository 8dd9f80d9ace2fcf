#include "scenario_file.h"

#include "input_rules.h"

namespace panel_host {

bool readScenarioFile(const std::string& path, const std::function<bool(const scenarioLine&)>& each,
                      const std::function<void(const std::string&)>& problem)
{
    inputFileLines file(path, "scenario");
    bool usable = true;
    std::string text;
    for (int number = 1; file.next(text); ++number) {
        const scenarioLineParse parsed = parseScenarioLine(text, number);
        if (!parsed.ok) {
            problem(placeName(path, {static_cast<std::size_t>(number), parsed.column}) + ": " + parsed.reason);
            usable = false;
        } else if (parsed.line.isInteractiveOnly()) {
            problem(placeName(path, {static_cast<std::size_t>(number), 1}) + ": " + parsed.line.source +
                    " is for interactive sessions");
            usable = false;
        }
        if (usable && !each(parsed.line)) {
            break;
        }
    }
    if (!file.error().empty()) {
        problem(file.error());
        return false;
    }
    return usable;
}

}  // namespace panel_host
