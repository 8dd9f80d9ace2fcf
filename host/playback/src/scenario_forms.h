#pragma once

#include "scenario_line.h"
#include "scenario_runner.h"

#include <vector>

namespace panel_host {

// What may follow a line's fields.
enum class lineText {
    none,            // nothing
    optional,        // a text, or nothing (hasRest: a text was given); null is the text "null"
    optionalOrNull,  // a text, null or nothing
    required,        // a text
    orNull,          // a text or null (hasRest: not null)
    nullOrNothing,   // the word null, or nothing
};

// What a line does, which decides when the runner runs it and what comes
// before its handler.
enum class lineRole {
    setting,         // sets up the session; before every other line, not echoed
    immediate,       // runs at once, before the start-up too, not echoed
    action,          // makes the script do something: starts a new block of commands
    operatorAction,  // an action an operator takes at a panel (serve accepts these)
    check,           // checks the current block or shows the session
    interactive,     // interactive sessions only, not echoed
};

// One form of line: how it is written, what help says of it and what runs it.
struct scenarioForm {
    scenarioLine::kind what;
    const char* keyword;
    // The second word that tells this form from the keyword's others
    // ("expect nothing"); nullptr: the keyword's form without one.
    const char* subkeyword;
    // The fields after the keyword(s): w a word, W a word or null, n any
    // 32-bit number, p a number from 1 up, d a duration, v a list choice
    // (-1 up, or "none"), c a notification code, other than 1 to 5 unless
    // the line ends in null; '[' starts the optional ones.
    const char* fields;
    lineText text;
    // The form in messages about a malformed line; a keyword's forms share it.
    const char* usage;
    lineRole role;
    // help: the heading of the group this form starts (or nullptr), the
    // form as listed (nullptr: listed with the one before) and what it does
    // (each "\n" starts an indented line).
    const char* heading;
    const char* helpForm;
    const char* helpText;
    scenarioRunner::lineHandler handler;
};

// Every form, in the order of the help text.
const std::vector<scenarioForm>& scenarioForms();

// The form of that name; nullptr for a blank line.
const scenarioForm* scenarioFormOf(scenarioLine::kind what);

}  // namespace panel_host
