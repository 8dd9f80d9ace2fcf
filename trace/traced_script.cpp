#include "traced_script.h"

#include "trace_file.h"
#include "trace_line.h"

#include <stdlib.h>

namespace {

// A payload written as a pointer only: a null record, or a code no record
// belongs to.
void tracePayloadPointer(int32_t instance, int32_t code, const char* kind, void* payload)
{
    const traceField fields[] = {fieldInteger(code), fieldWord(kind), fieldPointer(payload)};
    traceEvent(instance, "notify", fields, 3);
}

// The "notify" line: the code and its payload decoded as the host's record.
void traceNotify(int32_t instance, void* payload, int32_t code)
{
    switch (code) {
    case notifyTally: {
        const hostTallyRecord* const tally = static_cast<const hostTallyRecord*>(payload);
        if (tally == nullptr) {
            tracePayloadPointer(instance, code, "payload", payload);
            return;
        }
        const traceField fields[] = {
            fieldInteger(code), fieldWord("tally"),         fieldKey("device="), fieldInteger(tally->device),
            fieldKey("index="), fieldInteger(tally->index), fieldKey("value="),  fieldInteger(tally->value),
            fieldKey("text="),  fieldText(tally->text())};
        traceEvent(instance, "notify", fields, sizeof fields / sizeof fields[0]);
        return;
    }
    case notifyButton: {
        const hostButtonRecord* const button = static_cast<const hostButtonRecord*>(payload);
        if (button == nullptr) {
            tracePayloadPointer(instance, code, "payload", payload);
            return;
        }
        const traceField fields[] = {fieldInteger(code),       fieldWord("button"),        fieldKey("panel="),
                                     fieldText(button->panel), fieldKey("control="),       fieldText(button->control),
                                     fieldKey("event="),       fieldMessage(button->event)};
        traceEvent(instance, "notify", fields, sizeof fields / sizeof fields[0]);
        return;
    }
    case notifyQuery: {
        const traceField fields[] = {fieldInteger(code), fieldWord("query"),
                                     fieldText(static_cast<const char*>(payload))};
        traceEvent(instance, "notify", fields, 3);
        return;
    }
    case notifyTimer: {
        const traceField fields[] = {fieldInteger(code), fieldWord("timer"),
                                     fieldInteger(static_cast<int32_t>(reinterpret_cast<intptr_t>(payload)))};
        traceEvent(instance, "notify", fields, 3);
        return;
    }
    case notifyRelease:
        tracePayloadPointer(instance, code, "giveback", payload);
        return;
    default:
        tracePayloadPointer(instance, code, "payload", payload);
        return;
    }
}

}  // namespace

void tracedHost::reserved()
{
    real_->reserved();
}

const char* tracedHost::send(const char* text, int32_t code)
{
    if (code == sendExecute) {
        const char* const reply = real_->send(text, code);
        if (reply == nullptr) {
            const traceField fields[] = {fieldInteger(code), fieldText(text), fieldWord("->"), fieldWord("null")};
            traceEvent(instance_, "send", fields, 4);
        } else {
            const traceField fields[] = {fieldInteger(code), fieldText(text), fieldWord("->"), fieldPointer(reply),
                                         fieldText(reply)};
            traceEvent(instance_, "send", fields, 5);
        }
        flushTrace();
        return reply;
    }
    // A reply given back, or a code no script sends: the pointer only.
    const traceField fields[] = {fieldInteger(code), fieldPointer(text)};
    traceEvent(instance_, "send", fields, 2);
    const char* const result = real_->send(text, code);
    flushTrace();
    return result;
}

void* tracedScript::operator new(size_t size) noexcept
{
    return malloc(size);
}

void tracedScript::operator delete(void* object) noexcept
{
    free(object);
}

tracedScript::tracedScript(script_host* realHost, int32_t instance)
    : host_(realHost, instance), instance_(instance), hasHost_(realHost != nullptr)
{
}

const char* tracedScript::notify(void* payload, int32_t code)
{
    traceNotify(instance_, payload, code);
    flushTrace();
    const char* const result = inner_->notify(payload, code);
    if (result == nullptr) {
        const traceField field = fieldWord("null");
        traceEvent(instance_, "returned", &field, 1);
    } else if (code == notifyQuery) {
        const traceField fields[] = {fieldPointer(result), fieldText(result)};
        traceEvent(instance_, "returned", fields, 2);
    } else {
        // Only a query's result is a text the host reads.
        const traceField field = fieldPointer(result);
        traceEvent(instance_, "returned", &field, 1);
    }
    flushTrace();
    return result;
}

tracedScript::~tracedScript()
{
    if (inner_ == nullptr) {
        return;
    }
    traceEvent(instance_, "destroy", nullptr, 0);
    flushTrace();
    destroyScript(inner_);
    traceEvent(instance_, "destroyed", nullptr, 0);
    flushTrace();
}

void discardTracedScript(tracedScript* script)
{
    destroyScript(script);
}
