// Panel and control commands of morv_script_helper.
#include "command_text.h"
#include "debug_output.h"
#include "morv_script_helper.h"

#include <string.h>

bool morv_script_helper::panelShow(const morv_string& panel, const morv_string& layout, const morv_string& extra)
{
    // Each command text is one buffer filled from its pieces; fields are
    // quoted, and an empty optional part is an empty piece.
    const bool inFolder = basePath.length() > 0;
    const bool withExtra = extra.length() > 0;
    const commandText text{"PS '",
                           panel,
                           "' '",
                           basePath,
                           inFolder ? "/" : "",
                           layout,
                           "'",
                           withExtra ? " '" : "",
                           extra,
                           withExtra ? "'" : ""};
    if (host == nullptr) {
        return true;
    }
    // The reply only says whether the layout was shown; it is not given back.
    return execute(text) != nullptr;
}

void morv_script_helper::textPut(const morv_string& property, const morv_string& value, const morv_string& panel,
                                 const morv_string& control)
{
    execute(commandText{"TP '", property, "=", value, "' '", panel, "' '", control, "'"});
}

void morv_script_helper::textPut(const morv_string& assignment, const morv_string& panel, const morv_string& control)
{
    execute(commandText{"TP '", assignment, "' '", panel, "' '", control, "'"});
}

void morv_script_helper::textGet(const morv_string& property, const morv_string& panel, const morv_string& control,
                                 morv_string& result)
{
    const char* reply = execute(commandText{"TG '", panel, "' '", control, "' '", property, "'"});
    if (reply == nullptr) {
        result = "";
        return;
    }
    const morv_string whole(reply);
    release(reply);
    if (whole.failed()) {
        failOperation();
        result = "";
        return;
    }
    if (property == "all") {
        result = whole;
        return;
    }
    morv_string name;
    morv_string value;
    whole.split('=', name, value);
    if (strcmp(name.c_str(), property.c_str()) == 0) {
        result = value;
        return;
    }
    debugTrace(
        "textGet: value returned \"%1\" was not the value requested \"%2\" "
        "(value returned was \"%3\" from control \"%4\", on panel \"%5\")",
        name, property, whole, control, panel, "", "", "", "");
    result = "";
}

void morv_script_helper::controlEnable(const morv_string& panel, const morv_string& control)
{
    execute(commandText{"CE '", panel, "' '", control, "'"});
}

void morv_script_helper::controlDisable(const morv_string& panel, const morv_string& control)
{
    execute(commandText{"CD '", panel, "' '", control, "'"});
}

morv_stringlist morv_script_helper::controlList(const morv_string& panel, const morv_string& filter)
{
    const morv_string text = morv_string("XI '%1' '%2'").arg(panel).arg(filter);
    const char* reply = execute(text);
    if (reply == nullptr) {
        return morv_stringlist();
    }
    const morv_stringlist list(morv_string(reply), ',');
    release(reply);
    if (list.failed()) {
        failOperation();
        return morv_stringlist();
    }
    return list;
}

void morv_script_helper::debugTrace(const morv_string& format, const morv_string& a1, const morv_string& a2,
                                    const morv_string& a3, const morv_string& a4, const morv_string& a5,
                                    const morv_string& a6, const morv_string& a7, const morv_string& a8,
                                    const morv_string& a9)
{
    const morv_string text = format.arg(a1).arg(a2).arg(a3).arg(a4).arg(a5).arg(a6).arg(a7).arg(a8).arg(a9);
    // Diagnostics are no command: a trace that cannot be made is dropped.
    if (!text.failed()) {
        writeDebugOutput(text);
    }
}
