// Device, router and timer commands of morv_script_helper.
#include "command_text.h"
#include "decode_morv_string.h"
#include "leading_integer.h"
#include "morv_script_helper.h"

namespace {
// Plain decimal, as every number in a command text.
constexpr char noFill = '\0';
constexpr unsigned noWidth = 0;
constexpr int decimal = 10;
}  // namespace

bool morv_script_helper::deviceLookup(morv_string name, std::int32_t* device, std::int32_t* second)
{
    if (device != nullptr) {
        *device = 0;
    }
    if (second != nullptr) {
        *second = 0;
    }
    if (host == nullptr) {
        return false;
    }
    const char* reply = execute(morv_string("SD '%1'").arg(name));
    if (reply == nullptr) {
        return false;
    }
    {
        const decodeMORVString tokens(reply, '\'');
        if (device != nullptr) {
            *device = leadingInteger(tokens.tokens[0]);
        }
        if (second != nullptr) {
            *second = leadingInteger(tokens.tokens[1]);
        }
    }
    release(reply);
    return true;
}

void morv_script_helper::routerCrosspoint(std::int32_t device, std::int32_t source, std::int32_t destination,
                                          const morv_string& extra, bool flag)
{
    const morv_string text = morv_string("RC %1 %2 %3 ',%4' %5")
                                 .arg(device, noFill, noWidth, decimal)
                                 .arg(source, noFill, noWidth, decimal)
                                 .arg(destination, noFill, noWidth, decimal)
                                 .arg(extra)
                                 .arg(flag ? 1 : 0, noFill, noWidth, decimal);
    execute(text);
}

void morv_script_helper::routerName(std::int32_t device, std::int32_t kind, std::int32_t index, morv_string& name)
{
    if (host == nullptr) {
        return;
    }
    const morv_string text = morv_string("RN %1 %2 %3")
                                 .arg(device, noFill, noWidth, decimal)
                                 .arg(kind, noFill, noWidth, decimal)
                                 .arg(index, noFill, noWidth, decimal);
    const char* reply = execute(text);
    if (reply != nullptr) {
        name = reply;
    }
    // Given back even when null: the host accepts a null release.
    release(reply);
}

void morv_script_helper::routerRegister(std::int32_t device, std::int32_t first, std::int32_t last, bool add)
{
    execute(commandText{"RR ", decimalText(device), " ", decimalText(first), " ", decimalText(last),
                        add ? " 'ADD'" : ""}
                .c_str());
}

void morv_script_helper::routerPoll(std::int32_t device, std::int32_t first, std::int32_t last)
{
    execute(commandText{"RP ", decimalText(device), " ", decimalText(first), " ", decimalText(last)}.c_str());
}

void morv_script_helper::timerStart(std::int32_t id, std::int32_t interval)
{
    if (interval == 0) {
        timerStop(id);
        return;
    }
    execute(commandText{"ET ", decimalText(id), " ", decimalText(interval)}.c_str());
}

void morv_script_helper::timerStop(std::int32_t id) { execute(commandText{"ET ", decimalText(id)}.c_str()); }
