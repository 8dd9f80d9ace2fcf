#include "scenario_line.h"

#include "button_event.h"
#include "host_text.h"
#include "input_rules.h"
#include "notify_codes.h"
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

// Where a quoted text that starts at `at` ends (after its closing quote),
// or npos when it is not closed.
std::size_t quotedEnd(const std::string& text, std::size_t at)
{
    for (std::size_t i = at + 1; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
        } else if (text[i] == '"') {
            return i + 1;
        }
    }
    return std::string::npos;
}

// Where a trailing comment starts: a '#' at the start of the content or
// after a blank, outside apostrophe-quoted text and outside a closed quoted
// text (one that starts a word); npos without one.
std::size_t commentStart(const std::string& text)
{
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool wordStart = i == 0 || isBlank(text[i - 1]);
        if (text[i] == '"' && wordStart && !quoted) {
            if (const std::size_t end = quotedEnd(text, i); end != std::string::npos) {
                i = end - 1;
                continue;
            }
        }
        if (text[i] == '\'') {
            quoted = !quoted;
        } else if (text[i] == '#' && !quoted && wordStart) {
            return i;
        }
    }
    return std::string::npos;
}

// The next word at or after `from`; its end is returned in `from`. A word
// that starts with a double quote runs to its closing quote.
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
    if (text[start] == '"') {
        end = quotedEnd(text, start);
        end = end == std::string::npos ? text.size() : end;
    }
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
        std::size_t codeAt = std::string::npos;
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
            if (*f == 'w' || *f == 'W') {
                const bool isNull = *f == 'W' && w.text == "null";
                std::string text;
                if (!isNull && !unquoted(w, text)) {
                    return false;
                }
                line.words.push_back(isNull ? std::string() : text);
                line.nullWords.push_back(isNull);
                continue;
            }
            std::int64_t number = 0;
            std::string problem;
            if (!readNumber(*f, w.text, number, problem)) {
                return fail(w.at, problem + " (" + form.usage + ")");
            }
            codeAt = *f == 'c' ? w.at : codeAt;
            line.numbers.push_back(number);
        }
        if (!readText(form, from)) {
            return false;
        }
        // Codes 1 to 5 have lines of their own, but any code may come with a
        // null payload.
        if (codeAt != std::string::npos && !line.restIsNull && line.numbers.back() >= notifyTally &&
            line.numbers.back() <= notifyRelease) {
            return fail(codeAt, "code " + std::to_string(line.numbers.back()) +
                                    " has its own line (tally, button, query, tick); notify takes any other code, "
                                    "or any code with null");
        }
        return true;
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
    // A word as written, or the text of its quoted form.
    bool unquoted(const word& w, std::string& text)
    {
        if (w.text.empty() || w.text.front() != '"') {
            text = w.text;
            return true;
        }
        std::size_t at = 0;
        std::string problem;
        if (!readQuotedText(w.text, at, text, problem)) {
            return fail(w.at + at, problem);
        }
        if (at != w.text.size()) {
            return fail(w.at + at, "a blank must follow the closing quote of a quoted text");
        }
        return true;
    }

    // The text after the fields, from `from` on.
    bool readText(const scenarioForm& form, std::size_t from)
    {
        scenarioLine& line = result_.line;
        while (from < content_.size() && isBlank(content_[from])) {
            ++from;
        }
        const std::string written = content_.substr(from);
        const bool given = !written.empty();
        const bool mayBeNull = form.text == lineText::optionalOrNull || form.text == lineText::orNull ||
                               form.text == lineText::nullOrNothing;
        line.restIsNull = mayBeNull && written == "null";
        line.rest = written;
        if (given && written.front() == '"') {
            std::size_t at = from;
            std::string problem;
            if (!readQuotedText(content_, at, line.rest, problem)) {
                return fail(at, problem);
            }
            while (at < content_.size() && isBlank(content_[at])) {
                ++at;
            }
            if (at != content_.size()) {
                return fail(at, "unexpected \"" + excerpt(content_.substr(at)) + "\" after the quoted text");
            }
        }
        line.hasRest = given && !line.restIsNull;
        switch (form.text) {
        case lineText::none:
            return !given || fail(from, "unexpected \"" + excerpt(written) + "\" after " + form.usage);
        case lineText::optional:
        case lineText::optionalOrNull:
            return true;
        case lineText::required:
        case lineText::orNull:
            return given || incomplete(form);
        case lineText::nullOrNothing:
            return !given || line.restIsNull ||
                   fail(from, "unexpected \"" + excerpt(written) + "\" after " + form.usage);
        }
        return false;
    }

    const std::string& content_;
    scenarioLineParse& result_;
};

// Lines that concern one script instance, and so may name it with @N.
bool addressesAnInstance(const scenarioForm& form)
{
    // A during line's own line names the instance it goes to.
    const bool ofTheHost = form.what == scenarioLine::kind::route || form.what == scenarioLine::kind::wait ||
                           form.what == scenarioLine::kind::answer || form.what == scenarioLine::kind::show ||
                           form.what == scenarioLine::kind::during;
    return !ofTheHost &&
           (form.role == lineRole::action || form.role == lineRole::operatorAction || form.role == lineRole::check);
}

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
    std::size_t addressedAt = std::string::npos;
    if (keyword.text.front() == '@') {
        std::int64_t instance = 0;
        std::string problem;
        if (!readWholeNumber(keyword.text.substr(1), 1, intMax, instance, problem)) {
            return finish(fields.fail(keyword.at, "\"" + excerpt(keyword.text) +
                                                      "\": @N names script instance N, a whole number from 1 to " +
                                                      std::to_string(intMax)));
        }
        result.line.instance = static_cast<std::int32_t>(instance);
        addressedAt = keyword.at;
        if (!nextWord(content, from, keyword)) {
            return finish(fields.fail(content.size(), "expected a line after @" + std::to_string(instance)));
        }
    }
    const scenarioForm* first = firstFormOf(keyword.text);
    if (first == nullptr) {
        return finish(fields.fail(keyword.at, "unknown keyword \"" + excerpt(keyword.text) + "\" (try help)"));
    }
    const scenarioForm* form = formOfLine(keyword.text, content, from);
    if (form == nullptr) {
        return finish(fields.incomplete(*first));
    }
    result.line.what = form->what;
    if (addressedAt != std::string::npos && !addressesAnInstance(*form)) {
        return finish(
            fields.fail(addressedAt, std::string(form->keyword) + " lines concern the whole host and take no @N"));
    }
    return finish(fields.readFields(*form, from) && fields.checkText(*form));
}

}  // namespace panel_host
