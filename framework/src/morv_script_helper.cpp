#include "morv_script_helper.h"

#include "notify_codes.h"
#include "parsed_message.h"

#include <cstring>

// Signature record of the framework library, kept in its static data for
// tools that inspect a built module. Nothing in the system reads it.
extern const char morvFrameworkSignature[];
const char morvFrameworkSignature[] =
    "MORV_SIG,name=morv_script_helper,type=LIB,version=4.8.6.0,date=16/06/2017,author=morv framework team";

morv_script_helper::morv_script_helper(script_host* hostObject, const char* path)
    : host(hostObject), alarmHandling(false)
{
    basePath = path;
}

morv_script_helper::~morv_script_helper()
{
    try {
        execute("AS");
    } catch (...) {
        // Nothing may leave a destructor towards the host.
    }
}

const char* morv_script_helper::notify(void* payload, std::int32_t code)
{
    try {
        return dispatch(payload, code);
    } catch (...) {
        return nullptr;
    }
}

const char* morv_script_helper::dispatch(void* payload, std::int32_t code)
{
    switch (code) {
    case notifyTally:
        if (payload != nullptr) {
            onTally(tallyNotify(static_cast<const hostTallyRecord*>(payload)));
        }
        return nullptr;
    case notifyButton:
        if (payload != nullptr) {
            const buttonNotify button(static_cast<const hostButtonRecord*>(payload));
            if (!(alarmHandling && filterAlarmButton(button))) {
                onButton(button);
            }
        }
        return nullptr;
    case notifyQuery:
        return answerQuery(static_cast<const char*>(payload));
    case notifyTimer:
        // The id travels in the pointer's place; it is never dereferenced.
        onTimer(static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(payload)));
        return nullptr;
    case notifyRelease:
        delete[] static_cast<char*>(payload);
        return nullptr;
    case notifyOther6:
        onNotify6(opaqueNotify(payload));
        return nullptr;
    case notifyOther7:
        onNotify7(opaqueNotify(payload));
        return nullptr;
    default:
        return nullptr;
    }
}

const char* morv_script_helper::answerQuery(const char* text)
{
    const parsedMessage message(text);
    const morv_string reply = onQuery(queryNotify(&message));
    const unsigned length = reply.length();
    if (length == 0) {
        return nullptr;
    }
    // Freed by notifyRelease of any script object of this module.
    char* copy = new char[length + 1];
    std::memcpy(copy, reply.c_str(), length + 1);
    return copy;
}

void morv_script_helper::onNotify7(const opaqueNotify& /*record*/) {}

void morv_script_helper::onNotify6(const opaqueNotify& /*record*/) {}

const char* morv_script_helper::execute(const char* text)
{
    return host != nullptr ? host->send(text, sendExecute) : nullptr;
}

void morv_script_helper::release(const char* reply)
{
    if (host != nullptr) {
        host->send(reply, sendRelease);
    }
}
