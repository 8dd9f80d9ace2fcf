#include "scenario_file.h"

#include "input_rules.h"
#include "line_reader.h"

namespace panel_host {

bool readScenarioFile(const std::string& path, std::vector<scenarioLine>& lines,
                      const std::function<void(const std::string&)>& problem)
{
    inputFile file = readInputFile(path, "scenario");
    if (!file.ok) {
        problem(file.error);
        return false;
    }
    bool usable = true;
    lineReader reader = lineReader::ofText(std::move(file.text));
    std::string text;
    for (int number = 1; reader.read(0, text) == lineReader::status::line; ++number) {
        scenarioLineParse parsed = parseScenarioLine(text, number);
        if (!parsed.ok) {
            problem(placeName(path, {static_cast<std::size_t>(number), parsed.column}) + ": " + parsed.reason);
            usable = false;
        } else if (parsed.line.isInteractiveOnly()) {
            problem(placeName(path, {static_cast<std::size_t>(number), 1}) + ": " + parsed.line.source +
                    " is for interactive sessions");
            usable = false;
        }
        lines.push_back(std::move(parsed.line));
    }
    return usable;
}

}  // namespace panel_host
