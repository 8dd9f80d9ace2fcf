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

// The name is taken by value because the kit's headers and string library
// ABI declare it so; a reference would change the exported signature.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
bool morv_script_helper::deviceLookup(morv_string name, int32_t* device, int32_t* second)
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
    bool decoded = false;
    {
        const decodeMORVString tokens(reply, '\'');
        decoded = !tokens.failed();
        if (decoded && device != nullptr) {
            *device = leadingInteger(tokens.tokens[0]);
        }
        if (decoded && second != nullptr) {
            *second = leadingInteger(tokens.tokens[1]);
        }
    }
    release(reply);
    if (!decoded) {
        failOperation();
    }
    return decoded;
}

void morv_script_helper::routerCrosspoint(int32_t device, int32_t source, int32_t destination, const morv_string& extra,
                                          bool flag)
{
    const morv_string text = morv_string("RC %1 %2 %3 ',%4' %5")
                                 .arg(device, noFill, noWidth, decimal)
                                 .arg(source, noFill, noWidth, decimal)
                                 .arg(destination, noFill, noWidth, decimal)
                                 .arg(extra)
                                 .arg(flag ? 1 : 0, noFill, noWidth, decimal);
    execute(text);
}

void morv_script_helper::routerName(int32_t device, int32_t kind, int32_t index, morv_string& name)
{
    if (host == nullptr) {
        return;
    }
    const morv_string text = morv_string("RN %1 %2 %3")
                                 .arg(device, noFill, noWidth, decimal)
                                 .arg(kind, noFill, noWidth, decimal)
                                 .arg(index, noFill, noWidth, decimal);
    const char* reply = execute(text);
    if (reply == nullptr && operationFailed()) {
        return;  // nothing was sent, so nothing is given back
    }
    if (reply != nullptr) {
        name = reply;
        if (name.failed()) {
            failOperation();
        }
    }
    // Given back even when null: the host accepts a null release.
    release(reply);
}

void morv_script_helper::routerRegister(int32_t device, int32_t first, int32_t last, bool add)
{
    execute(
        commandText{"RR ", decimalText(device), " ", decimalText(first), " ", decimalText(last), add ? " 'ADD'" : ""});
}

void morv_script_helper::routerPoll(int32_t device, int32_t first, int32_t last)
{
    execute(commandText{"RP ", decimalText(device), " ", decimalText(first), " ", decimalText(last)});
}

void morv_script_helper::timerStart(int32_t id, int32_t interval)
{
    if (interval == 0) {
        timerStop(id);
        return;
    }
    execute(commandText{"ET ", decimalText(id), " ", decimalText(interval)});
}

void morv_script_helper::timerStop(int32_t id)
{
    execute(commandText{"ET ", decimalText(id)});
}
