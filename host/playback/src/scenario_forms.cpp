// The scenario language: every form of line, once. Parsing, help, completion
// and the operator actions serve accepts come from this table; the runner
// runs each line with its form's handler.
#include "scenario_forms.h"

namespace panel_host {

namespace {
constexpr const char* expectUsage = "expect COMMAND|null | expect nothing | expect result TEXT|null";
}  // namespace

const std::vector<scenarioForm>& scenarioForms()
{
    using K = scenarioLine::kind;
    using T = lineText;
    using R = lineRole;
    using S = scenarioRunner;
    // Each row: name, keyword, subkeyword, fields, text, usage, role; help:
    // heading, form, text; handler.
    static const std::vector<scenarioForm> forms = {
        {K::layoutsSetting, "layouts", nullptr, "w", T::none, "layouts PATH", R::setting,
         "Settings (scenario files, before every other line)", "layouts PATH", "the layout folder", &S::setLayouts},
        {K::routerSetting, "router", nullptr, "w", T::none, "router PATH", R::setting, nullptr, "router PATH",
         "the router configuration file", &S::setRouter},
        {K::pathSetting, "path", nullptr, "", T::optionalOrNull, "path [TEXT|null]", R::setting, nullptr,
         "path [TEXT|null]", "the path the script receives at load, as written", &S::setPath},
        {K::hostSetting, "host", "passive", "", T::none, "host passive | host null", R::setting, nullptr,
         "host passive",
         "the host carries out no command and raises nothing:\nit answers only from answer lines (else null)",
         &S::setPassiveHost},
        {K::nullHostSetting, "host", "null", "", T::none, "host passive | host null", R::setting, nullptr, "host null",
         "the script gets no host object (null)", &S::setNullHost},

        {K::choose, "choose", nullptr, "wv", T::none, "choose CONTROL NUMBER|none", R::operatorAction,
         "Operator and router", "choose CONTROL NUMBER|none", "choose in a list of panel 1 (none: -1)", &S::choose},
        {K::press, "press", nullptr, "w", T::none, "press CONTROL", R::operatorAction, nullptr, "press CONTROL",
         "press an enabled button of panel 1", &S::press},
        {K::route, "route", nullptr, "nn[n", T::none, "route SOURCE DESTINATION [DEVICE]", R::operatorAction, nullptr,
         "route SOURCE DEST [DEVICE]", "another controller routes (default: the first router)", &S::route},
        {K::wait, "wait", nullptr, "d", T::none, "wait MILLISECONDS (or 10s, 250ms)", R::action, nullptr,
         "wait DURATION", "time passes (1000, 250ms, 10s); timers fire", &S::wait},

        {K::button, "button", nullptr, "WW", T::orNull, "button PANEL CONTROL EVENT", R::action, "Raw notifications",
         "button PANEL CONTROL EVENT", "a button record with any texts (code 2; null: none)", &S::rawNotification},
        {K::buttonRecord, "button-record", nullptr, "WW", T::required,
         "button-record PANEL CONTROL name=TEXT value=TEXT has-value=N count=N part=TEXT... | event=null", R::action,
         nullptr, "button-record PANEL CONTROL FIELDS",
         "a button record with its event laid out field by field:\nname=\"..\" value=\"..\" has-value=0|1 count=N, "
         "then\npart=\"..\" for each part (texts: null, or in double\nquotes with \\\\, \\\" and \\xNN), or event=null",
         &S::rawNotification},
        {K::tally, "tally", nullptr, "nnn", T::optional, "tally DEVICE INDEX VALUE [TEXT]", R::action, nullptr,
         "tally DEVICE INDEX VALUE [TEXT]", "a tally record (code 1)", &S::rawNotification},
        {K::tick, "tick", nullptr, "n", T::none, "tick TIMER-ID", R::action, nullptr, "tick ID",
         "a timer tick (code 4)", &S::rawNotification},
        {K::query, "query", nullptr, "", T::optionalOrNull, "query [TEXT|null]", R::action, nullptr, "query [TEXT]",
         "a query (code 3; no text: null); a returned text\nis given back (code 5)", &S::rawNotification},
        {K::notifyCode, "notify", nullptr, "c", T::nullOrNothing,
         "notify CODE [null] (a code other than 1 to 5, or null)", R::action, nullptr, "notify CODE [null]",
         "any other code (6, 7, ...) with an empty record;\nany code with a null payload", &S::rawNotification},
        {K::unload, "unload", nullptr, "", T::none, "unload", R::action, nullptr, "unload",
         "delete the script and unload the module", &S::unload},
        // A check's place: it waits for the next action, whose commands it counts.
        {K::during, "during", nullptr, "p", T::required, "during COMMAND-NUMBER LINE", R::check, nullptr,
         "during N LINE",
         "while the Nth command from the next action on is\nin flight, the host delivers LINE (tally, button,\n"
         "button-record, tick, query, notify; @N for another\ninstance) or deletes the script (unload)",
         &S::during},

        {K::expect, "expect", nullptr, "", T::orNull, expectUsage, R::check, "Checks and views", "expect COMMAND",
         "the next command since the last action is exactly this", &S::expectCommand},
        {K::expectNothing, "expect", "nothing", "", T::none, expectUsage, R::check, nullptr, "expect nothing",
         "no command follows those expected", &S::expectNothing},
        {K::expectResult, "expect", "result", "", T::orNull, expectUsage, R::check, nullptr, "expect result TEXT|null",
         "the last query (code 3) returned this text, or null", &S::expectResult},
        {K::reply, "reply", nullptr, "", T::orNull, "reply TEXT | reply null", R::check, nullptr, "reply TEXT|null",
         "checks the host's reply to the command last expected", &S::checkReply},
        // Before the start-up too: it may answer the script's first commands.
        {K::answer, "answer", nullptr, "", T::orNull, "answer TEXT | answer null", R::immediate, nullptr,
         "answer TEXT|null", "the host replies this to the script's next command", &S::queueAnswer},
        {K::show, "show", nullptr, "", T::none, "show", R::check, nullptr, "show",
         "print the panel, the router and the timers", &S::show},
        {K::help, "help", nullptr, "", T::none, "help", R::interactive, nullptr, "help, quit", "(interactive only)",
         &S::printHelp},
        {K::quit, "quit", nullptr, "", T::none, "quit", R::interactive, nullptr, nullptr, nullptr, &S::quit},
    };
    return forms;
}

const scenarioForm* scenarioFormOf(scenarioLine::kind what)
{
    for (const scenarioForm& form : scenarioForms()) {
        if (form.what == what) {
            return &form;
        }
    }
    return nullptr;
}

}  // namespace panel_host
