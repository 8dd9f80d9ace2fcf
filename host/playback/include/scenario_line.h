#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace panel_host {

// One line of the scenario language (see host/README.md), taken apart.
struct scenarioLine {
    enum class kind {
        blank,           // empty or a comment
        layoutsSetting,  // layouts PATH
        routerSetting,   // router PATH
        pathSetting,     // path [TEXT]: the path the script receives, as written
        hostSetting,     // host passive
        choose,          // choose CONTROL VALUE|none
        press,           // press CONTROL
        button,          // button PANEL CONTROL EVENT...
        wait,            // wait DURATION (ms, or with "ms" or "s")
        tick,            // tick ID
        route,           // route SOURCE DESTINATION [DEVICE]
        tally,           // tally DEVICE INDEX VALUE [TEXT...]
        query,           // query [TEXT...]
        notifyCode,      // notify CODE (not 1 to 5)
        unload,          // unload
        expect,          // expect COMMAND TEXT...
        expectNothing,   // expect nothing
        expectResult,    // expect result TEXT... | expect result null: what the last query returned
        reply,           // reply TEXT... | reply null: checks the host's reply
        answer,          // answer TEXT... | answer null: the host's reply to the next command
        show,            // show
        help,            // help (interactive)
        quit,            // quit (interactive)
    };

    kind what = kind::blank;
    int number = 0;                     // line number in its file, from 1
    std::string source;                 // the line as written, without its line end
    std::vector<std::string> words;     // CONTROL, PANEL, PATH ...
    std::vector<std::int64_t> numbers;  // VALUE, DURATION, ID ...
    std::string rest;                   // EVENT, TEXT, the expected command or reply, the path
    bool hasRest = false;               // query: a text was given; reply, answer, expect result: not "null"

    // Lines that make the script do something (an action opens a new block
    // of commands that the following expect lines check).
    bool isAction() const;
    // Lines that set up the session and come before every other line.
    bool isSetting() const;
};

struct scenarioLineParse {
    bool ok = false;
    std::string error;       // when !ok: "line N, column C: reason"
    std::size_t column = 0;  // when !ok: where the problem is, from 1
    std::string reason;      // when !ok: what is wrong, with the expected form or range
    scenarioLine line;
};

// Parses one line. A '#' at the start of a line or after a blank, outside
// apostrophe-quoted text, starts a comment that runs to the line end. Lines
// hold no control characters except tabs (blanks) and a final "\r".
scenarioLineParse parseScenarioLine(const std::string& text, int number);

// The keywords of the language, in the order of the help text.
std::vector<std::string> scenarioKeywords();

// The language in brief, for "help".
const char* scenarioLanguageHelp();

}  // namespace panel_host
