// What the operator is offered of the language: the help text and the words
// completion knows, both from the table of forms.
#include "scenario_forms.h"

#include <algorithm>
#include <cstring>

namespace panel_host {

namespace {

// Where a form's text starts in help, and how far it is indented.
constexpr std::size_t helpIndent = 2;
constexpr std::size_t helpTextColumn = 31;

void addOnce(std::vector<std::string>& words, const std::string& word)
{
    if (std::find(words.begin(), words.end(), word) == words.end()) {
        words.push_back(word);
    }
}

// One form's entry: the form, then its text from the text column (or two
// blanks after a longer form); each further line of text indented to it.
std::string helpEntry(const scenarioForm& form)
{
    std::string entry = std::string(helpIndent, ' ') + form.helpForm;
    entry.append(entry.size() + 2 > helpTextColumn ? 2 : helpTextColumn - entry.size(), ' ');
    for (const char* c = form.helpText; *c != '\0'; ++c) {
        entry += *c;
        if (*c == '\n') {
            entry.append(helpTextColumn, ' ');
        }
    }
    return entry + "\n";
}

}  // namespace

std::vector<std::string> scenarioKeywords()
{
    std::vector<std::string> words;
    for (const scenarioForm& form : scenarioForms()) {
        addOnce(words, form.keyword);
    }
    return words;
}

std::vector<std::string> scenarioFollowingWords()
{
    std::vector<std::string> words;
    for (const scenarioForm& form : scenarioForms()) {
        if (form.subkeyword != nullptr) {
            addOnce(words, form.subkeyword);
        }
        if (std::strchr(form.fields, 'v') != nullptr) {
            addOnce(words, "none");
        }
        if (form.text == lineText::orNull || form.text == lineText::optionalOrNull ||
            form.text == lineText::nullOrNothing || std::strchr(form.fields, 'W') != nullptr) {
            addOnce(words, "null");
        }
    }
    return words;
}

std::string scenarioLanguageHelp()
{
    std::string help;
    for (const scenarioForm& form : scenarioForms()) {
        // Settings are scenario files' own: a session takes them as options.
        if (form.role == lineRole::setting) {
            continue;
        }
        if (form.heading != nullptr) {
            help += std::string(form.heading) + ":\n";
        }
        if (form.helpForm != nullptr) {
            help += helpEntry(form);
        }
    }
    return help + "Texts and names: as written, or quoted: \"a \\\"b\\\" \\x09\" (\\\\, \\\", \\xNN a byte);\n" +
           "  null is no text where one may be null, \"null\" the word.\n" +
           "@N LINE: the line goes to script instance N (a second panel: @2);\n" +
           "  the first line for the next number creates it.\n";
}

}  // namespace panel_host
