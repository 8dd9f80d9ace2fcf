#include "scenario_line.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace {

std::string trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// Splits off the first word; `rest` is what follows after one run of blanks.
std::string firstWord(const std::string& text, std::string& rest)
{
    const std::size_t end = text.find_first_of(" \t");
    if (end == std::string::npos) {
        rest.clear();
        return text;
    }
    const std::size_t next = text.find_first_not_of(" \t", end);
    rest = next == std::string::npos ? std::string() : text.substr(next);
    return text.substr(0, end);
}

bool readInteger(const std::string& word, std::int64_t& value)
{
    if (word.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(word.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < std::numeric_limits<std::int32_t>::min() ||
        parsed > std::numeric_limits<std::int32_t>::max()) {
        return false;
    }
    value = parsed;
    return true;
}

bool readDuration(const std::string& word, std::int64_t& milliseconds)
{
    std::string digits = word;
    std::int64_t scale = 1;
    if (digits.size() > 2 && digits.compare(digits.size() - 2, 2, "ms") == 0) {
        digits.resize(digits.size() - 2);
    } else if (digits.size() > 1 && digits.back() == 's') {
        digits.pop_back();
        scale = 1000;
    }
    if (!readInteger(digits, milliseconds) || milliseconds < 0) {
        return false;
    }
    milliseconds *= scale;
    return true;
}

struct keywordForm {
    const char* keyword;
    scenarioLine::kind what;
    const char* form;  // w: word, n: integer, d: duration, v: integer or "none"; '[' starts the optional part
    bool takesRest;    // the rest of the line is one text
    const char* usage;
};

constexpr keywordForm keywords[] = {
    {"layouts", scenarioLine::kind::layoutsSetting, "w", false, "layouts PATH"},
    {"router", scenarioLine::kind::routerSetting, "w", false, "router PATH"},
    {"choose", scenarioLine::kind::choose, "wv", false, "choose CONTROL NUMBER|none"},
    {"press", scenarioLine::kind::press, "w", false, "press CONTROL"},
    {"button", scenarioLine::kind::button, "ww", true, "button PANEL CONTROL EVENT"},
    {"wait", scenarioLine::kind::wait, "d", false, "wait MILLISECONDS (or 10s, 250ms)"},
    {"tick", scenarioLine::kind::tick, "n", false, "tick TIMER-ID"},
    {"route", scenarioLine::kind::route, "nn[n", false, "route SOURCE DESTINATION [DEVICE]"},
    {"tally", scenarioLine::kind::tally, "nnn", true, "tally DEVICE INDEX VALUE [TEXT]"},
    {"query", scenarioLine::kind::query, "", true, "query [TEXT]"},
    {"notify", scenarioLine::kind::notifyCode, "n", false, "notify CODE (a code other than 1 to 5)"},
    {"unload", scenarioLine::kind::unload, "", false, "unload"},
    {"expect", scenarioLine::kind::expect, "", true, "expect COMMAND TEXT | expect nothing"},
    {"reply", scenarioLine::kind::reply, "", true, "reply TEXT | reply null"},
    {"show", scenarioLine::kind::show, "", false, "show"},
    {"help", scenarioLine::kind::help, "", false, "help"},
    {"quit", scenarioLine::kind::quit, "", false, "quit"},
};

bool readFields(const keywordForm& form, std::string rest, scenarioLine& line)
{
    bool optional = false;
    for (const char* f = form.form; *f != '\0'; ++f) {
        if (*f == '[') {
            optional = true;
            continue;
        }
        std::string after;
        const std::string word = firstWord(rest, after);
        if (word.empty()) {
            return optional;
        }
        rest = after;
        std::int64_t number = 0;
        if (*f == 'w') {
            line.words.push_back(word);
            continue;
        }
        bool ok = false;
        if (*f == 'd') {
            ok = readDuration(word, number);
        } else if (*f == 'v' && word == "none") {
            number = -1;
            ok = true;
        } else {
            ok = readInteger(word, number);
        }
        if (!ok) {
            return false;
        }
        line.numbers.push_back(number);
    }
    line.rest = rest;
    line.hasRest = !rest.empty();
    return form.takesRest || rest.empty();
}

bool finishSpecialForms(scenarioLine& line)
{
    if (line.what == scenarioLine::kind::expect) {
        if (line.rest == "nothing") {
            line.what = scenarioLine::kind::expectNothing;
        }
        return line.hasRest;
    }
    if (line.what == scenarioLine::kind::reply) {
        line.hasRest = line.rest != "null";
        return !line.rest.empty();
    }
    if (line.what == scenarioLine::kind::notifyCode) {
        return line.numbers[0] < 1 || line.numbers[0] > 5;
    }
    if (line.what == scenarioLine::kind::button) {
        return line.hasRest;
    }
    return true;
}

}  // namespace

bool scenarioLine::isAction() const
{
    switch (what) {
    case kind::choose:
    case kind::press:
    case kind::button:
    case kind::wait:
    case kind::tick:
    case kind::route:
    case kind::tally:
    case kind::query:
    case kind::notifyCode:
    case kind::unload:
        return true;
    default:
        return false;
    }
}

scenarioLineParse parseScenarioLine(const std::string& text, int number)
{
    scenarioLineParse result;
    result.line.number = number;
    result.line.source = text;
    while (!result.line.source.empty() &&
           (result.line.source.back() == '\r' || result.line.source.back() == '\n')) {
        result.line.source.pop_back();
    }
    const std::string content = trimmed(text);
    if (content.empty() || content[0] == '#') {
        result.ok = true;
        return result;
    }
    std::string rest;
    const std::string keyword = firstWord(content, rest);
    for (const keywordForm& form : keywords) {
        if (keyword != form.keyword) {
            continue;
        }
        result.line.what = form.what;
        result.ok = readFields(form, rest, result.line) && finishSpecialForms(result.line);
        if (!result.ok) {
            result.error = "line " + std::to_string(number) + ": expected " + form.usage;
        }
        return result;
    }
    result.error = "line " + std::to_string(number) + ": unknown keyword \"" + keyword + "\" (try help)";
    return result;
}

const char* scenarioLanguageHelp()
{
    return "Operator and router:\n"
           "  choose CONTROL NUMBER|none   choose in a list of panel 1 (none: -1)\n"
           "  press CONTROL                press an enabled button of panel 1\n"
           "  route SOURCE DEST [DEVICE]   another controller routes (default: the first router)\n"
           "  wait DURATION                time passes (1000, 250ms, 10s); timers fire\n"
           "Raw notifications:\n"
           "  button PANEL CONTROL EVENT   a button record with any event text (code 2)\n"
           "  tally DEVICE INDEX VALUE [TEXT]  a tally record (code 1)\n"
           "  tick ID                      a timer tick (code 4)\n"
           "  query [TEXT]                 a query (code 3); a returned text is given back (code 5)\n"
           "  notify CODE                  any other code (6, 7, ...) with an empty record\n"
           "  unload                       delete the script and unload the module\n"
           "Checks and views:\n"
           "  expect COMMAND               the next command since the last action is exactly this\n"
           "  expect nothing               no command follows those expected\n"
           "  reply TEXT|null              the reply to the command last expected\n"
           "  show                         print the panel, the router and the timers\n"
           "  help, quit                   (interactive only)\n";
}
