#include "morv_script_helper.h"

#include "command_text.h"
#include "notify_codes.h"
#include "parsed_message.h"

#include <stdlib.h>
#include <string.h>

// Signature record of the framework library, kept in its static data for
// tools that inspect a built module. Nothing in the system reads it.
extern const char morvFrameworkSignature[];
const char morvFrameworkSignature[] =
    "MORV_SIG,name=morv_script_helper,type=LIB,version=4.8.6.0,date=16/06/2017,author=morv framework team";

void* morv_script_helper::operator new(size_t size) noexcept
{
    return malloc(size);
}

void morv_script_helper::operator delete(void* object) noexcept
{
    free(object);
}

morv_client_callback* morv_script_helper::startedOrNull(morv_script_helper* script)
{
    if (script == nullptr || !script->operationFailed_) {
        return script;
    }
    // The failure flag stays set, so the destructor sends no "AS" either.
    destroyScript(script);
    return nullptr;
}

morv_script_helper::morv_script_helper(script_host* hostObject, const char* path)
    : host(hostObject), alarmHandling(false), operationFailed_(false)
{
    basePath = path;
    if (basePath.failed()) {
        failOperation();
    }
}

morv_script_helper::~morv_script_helper()
{
    execute("AS");
}

const char* morv_script_helper::notify(void* payload, int32_t code)
{
    const char* result = dispatch(payload, code);
    operationFailed_ = false;
    return result;
}

const char* morv_script_helper::dispatch(void* payload, int32_t code)
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
        onTimer(static_cast<int32_t>(reinterpret_cast<intptr_t>(payload)));
        return nullptr;
    case notifyRelease:
        free(payload);
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
    if (message.buffer == nullptr && text != nullptr && text[0] != '\0') {
        return nullptr;  // no copy of the text: memory ran out
    }
    const morv_string reply = onQuery(queryNotify(&message));
    const unsigned length = reply.length();
    if (length == 0 || operationFailed_) {
        return nullptr;
    }
    // Freed by notifyRelease of any script object of this module; null when
    // memory ran out.
    char* copy = static_cast<char*>(malloc(length + 1U));
    if (copy != nullptr) {
        memcpy(copy, reply.c_str(), length + 1U);
    }
    return copy;
}

void morv_script_helper::onNotify7(const opaqueNotify& /*record*/) {}

void morv_script_helper::onNotify6(const opaqueNotify& /*record*/) {}

const char* morv_script_helper::execute(const char* text)
{
    return host != nullptr && !operationFailed_ ? host->send(text, sendExecute) : nullptr;
}

const char* morv_script_helper::execute(const commandText& text)
{
    if (text.failed()) {
        failOperation();
        return nullptr;
    }
    return execute(text.c_str());
}

const char* morv_script_helper::execute(const morv_string& text)
{
    if (text.failed()) {
        failOperation();
        return nullptr;
    }
    return execute(text.c_str());
}

void morv_script_helper::release(const char* reply)
{
    // Given back even after a failure: the reply is the host's.
    if (host != nullptr) {
        host->send(reply, sendRelease);
    }
}
