#include "scenario_line.h"

#include "input_rules.h"

#include <algorithm>
#include <limits>

namespace panel_host {

namespace {

constexpr std::int64_t intMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t intMax = std::numeric_limits<std::int32_t>::max();

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// One blank-separated word of a line and where it starts (0-based).
struct word {
    std::string text;
    std::size_t at = 0;
};

// Where a trailing comment starts: a '#' at the start of the content or
// after a blank, outside apostrophe-quoted text; npos without one.
std::size_t commentStart(const std::string& text)
{
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\'') {
            quoted = !quoted;
        } else if (text[i] == '#' && !quoted && (i == 0 || isBlank(text[i - 1]))) {
            return i;
        }
    }
    return std::string::npos;
}

// The next word at or after `from`; its end is returned in `from`.
bool nextWord(const std::string& text, std::size_t& from, word& w)
{
    std::size_t start = from;
    while (start < text.size() && isBlank(text[start])) {
        ++start;
    }
    if (start >= text.size()) {
        from = start;
        return false;
    }
    std::size_t end = start;
    while (end < text.size() && !isBlank(text[end])) {
        ++end;
    }
    w = {text.substr(start, end - start), start};
    from = end;
    return true;
}

// A duration in ms: digits, optionally followed by "ms" or "s".
bool readDuration(const std::string& text, std::int64_t& milliseconds, std::string& problem)
{
    std::string digits = text;
    std::int64_t scale = 1;
    if (digits.size() > 2 && digits.compare(digits.size() - 2, 2, "ms") == 0) {
        digits.resize(digits.size() - 2);
    } else if (digits.size() > 1 && digits.back() == 's') {
        digits.pop_back();
        scale = 1000;
    }
    std::int64_t value = 0;
    if (!readWholeNumber(digits, 0, intMax / scale, value, problem)) {
        problem = "\"" + excerpt(text) + "\" is not a duration from 0 to " + std::to_string(intMax) + " ms";
        return false;
    }
    milliseconds = value * scale;
    return true;
}

struct keywordForm {
    const char* keyword;
    scenarioLine::kind what;
    // w: word, n: any int32, d: duration, v: list choice (-1 up, or "none"),
    // c: notification code other than 1 to 5; '[' starts the optional part.
    const char* form;
    bool takesRest;  // the rest of the line is one text
    const char* usage;
};

constexpr keywordForm keywords[] = {
    {"layouts", scenarioLine::kind::layoutsSetting, "w", false, "layouts PATH"},
    {"router", scenarioLine::kind::routerSetting, "w", false, "router PATH"},
    {"path", scenarioLine::kind::pathSetting, "", true, "path [TEXT]"},
    {"host", scenarioLine::kind::hostSetting, "w", false, "host passive"},
    {"choose", scenarioLine::kind::choose, "wv", false, "choose CONTROL NUMBER|none"},
    {"press", scenarioLine::kind::press, "w", false, "press CONTROL"},
    {"button", scenarioLine::kind::button, "ww", true, "button PANEL CONTROL EVENT"},
    {"wait", scenarioLine::kind::wait, "d", false, "wait MILLISECONDS (or 10s, 250ms)"},
    {"tick", scenarioLine::kind::tick, "n", false, "tick TIMER-ID"},
    {"route", scenarioLine::kind::route, "nn[n", false, "route SOURCE DESTINATION [DEVICE]"},
    {"tally", scenarioLine::kind::tally, "nnn", true, "tally DEVICE INDEX VALUE [TEXT]"},
    {"query", scenarioLine::kind::query, "", true, "query [TEXT]"},
    {"notify", scenarioLine::kind::notifyCode, "c", false, "notify CODE (a code other than 1 to 5)"},
    {"unload", scenarioLine::kind::unload, "", false, "unload"},
    {"expect", scenarioLine::kind::expect, "", true, "expect COMMAND TEXT | expect nothing | expect result TEXT|null"},
    {"reply", scenarioLine::kind::reply, "", true, "reply TEXT | reply null"},
    {"answer", scenarioLine::kind::answer, "", true, "answer TEXT | answer null"},
    {"show", scenarioLine::kind::show, "", false, "show"},
    {"help", scenarioLine::kind::help, "", false, "help"},
    {"quit", scenarioLine::kind::quit, "", false, "quit"},
};

// Reads one numeric field; false with `problem` set when it is not in range.
bool readNumber(char kind, const std::string& text, std::int64_t& number, std::string& problem)
{
    switch (kind) {
    case 'd':
        return readDuration(text, number, problem);
    case 'v':
        if (text == "none") {
            number = -1;
            return true;
        }
        if (!readWholeNumber(text, -1, intMax, number, problem)) {
            problem += ", or none";
            return false;
        }
        return true;
    case 'c':
        if (!readWholeNumber(text, intMin, intMax, number, problem)) {
            return false;
        }
        if (number >= 1 && number <= 5) {
            problem = "code " + text + " has its own line (tally, button, query, tick); notify takes any other code";
            return false;
        }
        return true;
    default:
        return readWholeNumber(text, intMin, intMax, number, problem);
    }
}

class lineParser {
public:
    lineParser(const std::string& content, scenarioLineParse& result) : content_(content), result_(result) {}

    bool fail(std::size_t at, const std::string& reason)
    {
        result_.ok = false;
        result_.column = at + 1;
        result_.reason = reason;
        return false;
    }

    bool readFields(const keywordForm& form, std::size_t from)
    {
        scenarioLine& line = result_.line;
        bool optional = false;
        for (const char* f = form.form; *f != '\0'; ++f) {
            if (*f == '[') {
                optional = true;
                continue;
            }
            word w;
            std::size_t next = from;
            if (!nextWord(content_, next, w)) {
                return optional || fail(content_.size(), "expected " + std::string(form.usage));
            }
            from = next;
            if (*f == 'w') {
                line.words.push_back(w.text);
                continue;
            }
            std::int64_t number = 0;
            std::string problem;
            if (!readNumber(*f, w.text, number, problem)) {
                return fail(w.at, problem + " (" + form.usage + ")");
            }
            line.numbers.push_back(number);
        }
        std::size_t restAt = from;
        while (restAt < content_.size() && isBlank(content_[restAt])) {
            ++restAt;
        }
        line.rest = content_.substr(restAt);
        line.hasRest = !line.rest.empty();
        if (line.hasRest && !form.takesRest) {
            return fail(restAt, "unexpected \"" + excerpt(line.rest) + "\" after " + form.usage);
        }
        return true;
    }

    bool finishSpecialForms(const keywordForm& form)
    {
        scenarioLine& line = result_.line;
        const bool complete = [&line] {
            switch (line.what) {
            case scenarioLine::kind::expect:
                if (line.rest == "nothing") {
                    line.what = scenarioLine::kind::expectNothing;
                } else if (line.rest == "result" || line.rest.rfind("result ", 0) == 0) {
                    line.what = scenarioLine::kind::expectResult;
                    line.rest.erase(0, std::min<std::size_t>(line.rest.size(), 7));
                    line.hasRest = line.rest != "null";
                    return !line.rest.empty();
                }
                return line.hasRest;
            case scenarioLine::kind::reply:
            case scenarioLine::kind::answer:
                line.hasRest = line.rest != "null";
                return !line.rest.empty();
            case scenarioLine::kind::button:
                return line.hasRest;
            case scenarioLine::kind::hostSetting:
                return line.words[0] == "passive";
            default:
                return true;
            }
        }();
        return complete || fail(content_.size(), "expected " + std::string(form.usage));
    }

private:
    const std::string& content_;
    scenarioLineParse& result_;
};

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

bool scenarioLine::isSetting() const
{
    return what == kind::layoutsSetting || what == kind::routerSetting || what == kind::pathSetting ||
           what == kind::hostSetting;
}

scenarioLineParse parseScenarioLine(const std::string& text, int number)
{
    scenarioLineParse result;
    result.line.number = number;
    result.line.source = text;
    while (!result.line.source.empty() && (result.line.source.back() == '\r' || result.line.source.back() == '\n')) {
        result.line.source.pop_back();
    }
    lineParser parser(result.line.source, result);
    const auto finish = [&result, number](bool ok) {
        result.ok = ok;
        if (!ok) {
            result.error =
                "line " + std::to_string(number) + ", column " + std::to_string(result.column) + ": " + result.reason;
        }
        return result;
    };
    if (const std::size_t bad = findControlCharacter(result.line.source, true); bad != std::string::npos) {
        return finish(parser.fail(bad, controlCharacterName(result.line.source[bad]) +
                                           " in the line; lines hold no control characters but tabs"));
    }
    // The content: the line without a trailing comment and trailing blanks.
    std::string content = result.line.source.substr(0, commentStart(result.line.source));
    while (!content.empty() && isBlank(content.back())) {
        content.pop_back();
    }
    std::size_t from = 0;
    word keyword;
    if (!nextWord(content, from, keyword)) {
        return finish(true);
    }
    lineParser fields(content, result);
    for (const keywordForm& form : keywords) {
        if (keyword.text == form.keyword) {
            result.line.what = form.what;
            return finish(fields.readFields(form, from) && fields.finishSpecialForms(form));
        }
    }
    return finish(fields.fail(keyword.at, "unknown keyword \"" + excerpt(keyword.text) + "\" (try help)"));
}

std::vector<std::string> scenarioKeywords()
{
    std::vector<std::string> words;
    for (const keywordForm& form : keywords) {
        words.emplace_back(form.keyword);
    }
    return words;
}

const char* scenarioLanguageHelp()
{
    return "Settings (scenario files, before every other line):\n"
           "  layouts PATH                 the layout folder\n"
           "  router PATH                  the router configuration file\n"
           "  path [TEXT]                  the path the script receives at load, as written\n"
           "  host passive                 the host carries out no command and raises nothing:\n"
           "                               it answers only from answer lines (else null)\n"
           "Operator and router:\n"
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
           "  expect result TEXT|null      the last query (code 3) returned this text, or null\n"
           "  reply TEXT|null              checks the host's reply to the command last expected\n"
           "  answer TEXT|null             the host replies this to the script's next command\n"
           "  show                         print the panel, the router and the timers\n"
           "  help, quit                   (interactive only)\n";
}

}  // namespace panel_host
