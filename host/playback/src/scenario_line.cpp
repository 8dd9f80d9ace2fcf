#include "scenario_line.h"

#include "button_event.h"
#include "input_rules.h"
#include "scenario_forms.h"

#include <limits>

namespace panel_host {

namespace {

constexpr std::int64_t intMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t intMax = std::numeric_limits<std::int32_t>::max();

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The lines a during line may hold: what a host can do from inside a command.
bool duringMayDeliver(scenarioLine::kind what)
{
    using K = scenarioLine::kind;
    return what == K::tally || what == K::button || what == K::buttonRecord || what == K::tick || what == K::query ||
           what == K::notifyCode || what == K::unload;
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
    case 'p':
        return readWholeNumber(text, 1, intMax, number, problem);
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

    bool readFields(const scenarioForm& form, std::size_t from)
    {
        scenarioLine& line = result_.line;
        bool optional = false;
        for (const char* f = form.fields; *f != '\0'; ++f) {
            if (*f == '[') {
                optional = true;
                continue;
            }
            word w;
            std::size_t next = from;
            if (!nextWord(content_, next, w)) {
                return optional || incomplete(form);
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
        return readText(form, from);
    }

    bool incomplete(const scenarioForm& form) { return fail(content_.size(), "expected " + std::string(form.usage)); }

    // What a form's text holds beyond being a text: a button-record's
    // fields, a during line's line.
    bool checkText(const scenarioForm& form)
    {
        const scenarioLine& line = result_.line;
        const std::size_t restAt = content_.size() - line.rest.size();
        if (line.what == scenarioLine::kind::buttonRecord) {
            std::optional<buttonEvent> event;
            std::size_t at = 0;
            std::string problem;
            return readButtonEvent(line.rest, 0, event, at, problem) ||
                   fail(restAt + at, problem + " (" + form.usage + ")");
        }
        if (line.what == scenarioLine::kind::during) {
            const scenarioLineParse nested = parseScenarioLine(line.rest, line.number);
            if (!nested.ok) {
                return fail(restAt + nested.column - 1, nested.reason);
            }
            return duringMayDeliver(nested.line.what) ||
                   fail(restAt, "during takes a tally, button, button-record, tick, query, notify or unload line");
        }
        return true;
    }

private:
    // The text after the fields, from `from` on.
    bool readText(const scenarioForm& form, std::size_t from)
    {
        scenarioLine& line = result_.line;
        while (from < content_.size() && isBlank(content_[from])) {
            ++from;
        }
        line.rest = content_.substr(from);
        line.hasRest = !line.rest.empty();
        switch (form.text) {
        case lineText::none:
            return !line.hasRest || fail(from, "unexpected \"" + excerpt(line.rest) + "\" after " + form.usage);
        case lineText::optional:
            return true;
        case lineText::required:
            return line.hasRest || incomplete(form);
        case lineText::orNull:
            line.hasRest = line.rest != "null";
            return !line.rest.empty() || incomplete(form);
        }
        return false;
    }

    const std::string& content_;
    scenarioLineParse& result_;
};

bool hasRole(scenarioLine::kind what, lineRole role)
{
    const scenarioForm* form = scenarioFormOf(what);
    return form != nullptr && form->role == role;
}

// The form of a line that starts with `keyword`: the keyword's form whose
// subkeyword is the next word (`from` then moves past it), else its form
// without one; nullptr when it has neither.
const scenarioForm* formOfLine(const std::string& keyword, const std::string& content, std::size_t& from)
{
    std::size_t afterNext = from;
    word next;
    const bool hasNext = nextWord(content, afterNext, next);
    const scenarioForm* plain = nullptr;
    for (const scenarioForm& form : scenarioForms()) {
        if (keyword != form.keyword) {
            continue;
        }
        if (form.subkeyword == nullptr) {
            plain = &form;
        } else if (hasNext && next.text == form.subkeyword) {
            from = afterNext;
            return &form;
        }
    }
    return plain;
}

// The first form of that keyword; nullptr for a word that is no keyword.
const scenarioForm* firstFormOf(const std::string& keyword)
{
    for (const scenarioForm& form : scenarioForms()) {
        if (keyword == form.keyword) {
            return &form;
        }
    }
    return nullptr;
}

}  // namespace

bool scenarioLine::isAction() const
{
    return hasRole(what, lineRole::action) || isOperatorAction();
}

bool scenarioLine::isSetting() const
{
    return hasRole(what, lineRole::setting);
}

bool scenarioLine::isInteractiveOnly() const
{
    return hasRole(what, lineRole::interactive);
}

bool scenarioLine::isOperatorAction() const
{
    return hasRole(what, lineRole::operatorAction);
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
    const scenarioForm* first = firstFormOf(keyword.text);
    if (first == nullptr) {
        return finish(fields.fail(keyword.at, "unknown keyword \"" + excerpt(keyword.text) + "\" (try help)"));
    }
    const scenarioForm* form = formOfLine(keyword.text, content, from);
    if (form == nullptr) {
        return finish(fields.incomplete(*first));
    }
    result.line.what = form->what;
    return finish(fields.readFields(*form, from) && fields.checkText(*form));
}

}  // namespace panel_host
