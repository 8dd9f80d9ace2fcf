// Panel and control commands of morv_script_helper.
#include "debug_output.h"
#include "morv_script_helper.h"

#include <cstring>

namespace {
// "'" + field + "'"
morv_string quoted(const morv_string& field) { return "'" + field + "'"; }

// "CODE 'a' 'b' 'c'" with each field quoted and one blank between fields.
morv_string commandText(const char* code, const morv_string& a, const morv_string& b)
{
    return code + (" " + quoted(a)) + " " + quoted(b);
}

morv_string commandText(const char* code, const morv_string& a, const morv_string& b, const morv_string& c)
{
    return commandText(code, a, b) + " " + quoted(c);
}
}  // namespace

bool morv_script_helper::panelShow(const morv_string& panel, const morv_string& layout, const morv_string& extra)
{
    const morv_string layoutPath = basePath.length() > 0 ? basePath + "/" + layout : layout;
    morv_string text = commandText("PS", panel, layoutPath);
    if (extra.length() > 0) {
        text += " " + quoted(extra);
    }
    if (host == nullptr) {
        return true;
    }
    // The reply only says whether the layout was shown; it is not given back.
    return execute(text) != nullptr;
}

void morv_script_helper::textPut(const morv_string& property, const morv_string& value,
                                 const morv_string& panel, const morv_string& control)
{
    textPut(property + "=" + value, panel, control);
}

void morv_script_helper::textPut(const morv_string& assignment, const morv_string& panel,
                                 const morv_string& control)
{
    execute(commandText("TP", assignment, panel, control));
}

void morv_script_helper::textGet(const morv_string& property, const morv_string& panel,
                                 const morv_string& control, morv_string& result)
{
    const morv_string text = commandText("TG", panel, control, property);
    const char* reply = execute(text);
    if (reply == nullptr) {
        result = "";
        return;
    }
    const morv_string whole(reply);
    release(reply);
    if (property == "all") {
        result = whole;
        return;
    }
    morv_string name;
    morv_string value;
    whole.split('=', name, value);
    if (std::strcmp(name.c_str(), property.c_str()) == 0) {
        result = value;
        return;
    }
    debugTrace("textGet: value returned \"%1\" was not the value requested \"%2\" "
               "(value returned was \"%3\" from control \"%4\", on panel \"%5\")",
               name, property, whole, control, panel, "", "", "", "");
    result = "";
}

void morv_script_helper::controlEnable(const morv_string& panel, const morv_string& control)
{
    execute(commandText("CE", panel, control));
}

void morv_script_helper::controlDisable(const morv_string& panel, const morv_string& control)
{
    execute(commandText("CD", panel, control));
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
    return list;
}

void morv_script_helper::debugTrace(const morv_string& format, const morv_string& a1, const morv_string& a2,
                                    const morv_string& a3, const morv_string& a4, const morv_string& a5,
                                    const morv_string& a6, const morv_string& a7, const morv_string& a8,
                                    const morv_string& a9)
{
    const morv_string text = format.arg(a1).arg(a2).arg(a3).arg(a4).arg(a5).arg(a6).arg(a7).arg(a8).arg(a9);
    writeDebugOutput(text);
}
