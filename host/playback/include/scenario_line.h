#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace panel_host {

// One line of the scenario language (see host/README.md), taken apart. The
// forms of line, their fields, help and handlers are one table:
// scenario_forms.cpp.
struct scenarioLine {
    // The forms, by name; the table of forms says what each is.
    enum class kind {
        blank,  // empty or a comment
        layoutsSetting,
        routerSetting,
        pathSetting,
        hostSetting,
        nullHostSetting,
        choose,
        press,
        button,
        buttonRecord,
        wait,
        tick,
        route,
        tally,
        query,
        notifyCode,
        unload,
        during,
        expect,
        expectNothing,
        expectResult,
        reply,
        answer,
        show,
        help,
        quit,
    };

    kind what = kind::blank;
    int number = 0;                     // line number in its file, from 1
    std::string source;                 // the line as written, without its line end
    std::vector<std::string> words;     // CONTROL, PANEL, PATH ...
    std::vector<bool> nullWords;        // for each word: the word null where a word may be null
    std::vector<std::int64_t> numbers;  // VALUE, DURATION, ID ...
    std::string rest;                   // EVENT, TEXT, the expected command or reply, the path
    bool hasRest = false;               // a text was given (neither left out nor null)
    bool restIsNull = false;            // the text is the word null where a text may be null
    // The script instance the line goes to ("@2 choose Sources 5"), from 1.
    std::int32_t instance = 1;

    // Words and the text are as written: bare, or unquoted from the quoted
    // form, where \xNN from 0x80 up is a raw byte (rawByteText). The runner
    // turns them into the host's bytes in its code page (hostBytes).

    // Lines that make the script do something (an action opens a new block
    // of commands that the following expect lines check).
    bool isAction() const;
    // Lines that set up the session and come before every other line.
    bool isSetting() const;
    // Actions an operator takes at a panel (choose, press, route).
    bool isOperatorAction() const;
    // Lines only interactive sessions take (help, quit).
    bool isInteractiveOnly() const;
};

struct scenarioLineParse {
    bool ok = false;
    std::string error;       // when !ok: "line N, column C: reason"
    std::size_t column = 0;  // when !ok: where the problem is, from 1
    std::string reason;      // when !ok: what is wrong, with the expected form or range
    scenarioLine line;
};

// Parses one line. A '#' at the start of a line or after a blank, outside
// apostrophe-quoted text and quoted texts, starts a comment that runs to the
// line end. Lines hold no control characters except tabs (blanks) and a
// final "\r". A word or text that starts with a double quote is in the
// quoted form (host_text.h); the word null is a null text where a text may
// be null, and "null" the four letters.
scenarioLineParse parseScenarioLine(const std::string& text, int number);

// The keywords of the language, in the order of the help text.
std::vector<std::string> scenarioKeywords();
// The fixed words that may follow a keyword ("passive", "none", "nothing",
// "null" ...), for completion.
std::vector<std::string> scenarioFollowingWords();

// The language in brief, for "help".
std::string scenarioLanguageHelp();

}  // namespace panel_host
