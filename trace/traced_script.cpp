#include "traced_script.h"

#include "trace_file.h"
#include "trace_format.h"
#include "trace_line.h"

#include <stdlib.h>
#include <string.h>

namespace {

// A payload written as a pointer only: a null record, or a code no record
// belongs to.
void tracePayloadPointer(int32_t instance, int32_t code, const char* kind, void* payload)
{
    const traceField fields[] = {fieldInteger(code), fieldWord(kind), fieldPointer(payload)};
    traceEvent(instance, traceEventWord::notify, fields, 3);
}

void traceTally(int32_t instance, const hostTallyRecord& tally)
{
    const traceField fields[] = {fieldInteger(notifyTally),  fieldWord(traceWord::tally), fieldKey(traceKey::device),
                                 fieldInteger(tally.device), fieldKey(traceKey::index),   fieldInteger(tally.index),
                                 fieldKey(traceKey::value),  fieldInteger(tally.value),   fieldKey(traceKey::text),
                                 fieldText(tally.text())};
    traceEvent(instance, traceEventWord::notify, fields, sizeof fields / sizeof fields[0]);
}

// The button record field by field, its event as the script finds it: the
// name, the value, the hasValue byte, the count and each part the count
// covers (at most 32), so that a replay can build the same record.
void traceButton(int32_t instance, const hostButtonRecord& button)
{
    constexpr size_t most = 14 + 2 * parsedMessage::maxParts;
    traceField fields[most];
    size_t n = 0;
    fields[n++] = fieldInteger(notifyButton);
    fields[n++] = fieldWord(traceWord::button);
    fields[n++] = fieldKey(traceKey::panel);
    fields[n++] = fieldText(button.panel);
    fields[n++] = fieldKey(traceKey::control);
    fields[n++] = fieldText(button.control);
    const parsedMessage* const event = button.event;
    if (event == nullptr) {
        fields[n++] = fieldKey(traceKey::event);
        fields[n++] = fieldWord(traceWord::null);
        traceEvent(instance, traceEventWord::notify, fields, n);
        return;
    }
    // The byte as it is: a host may store any value in it.
    unsigned char hasValue = 0;
    memcpy(&hasValue, &event->hasValue, 1);
    fields[n++] = fieldKey(traceKey::name);
    fields[n++] = fieldText(event->name);
    fields[n++] = fieldKey(traceKey::value);
    fields[n++] = fieldText(event->value);
    fields[n++] = fieldKey(traceKey::hasValue);
    fields[n++] = fieldInteger(hasValue);
    fields[n++] = fieldKey(traceKey::count);
    fields[n++] = fieldInteger(event->count);
    const int32_t parts =
        event->count < 0 ? 0 : (event->count > parsedMessage::maxParts ? parsedMessage::maxParts : event->count);
    for (int32_t k = 0; k < parts; ++k) {
        fields[n++] = fieldKey(traceKey::part);
        fields[n++] = fieldText(event->parts[k]);
    }
    traceEvent(instance, traceEventWord::notify, fields, n);
}

// The "notify" line: the code and its payload decoded as the host's record.
void traceNotify(int32_t instance, void* payload, int32_t code)
{
    switch (code) {
    case notifyTally:
        if (payload == nullptr) {
            tracePayloadPointer(instance, code, traceWord::payload, payload);
        } else {
            traceTally(instance, *static_cast<const hostTallyRecord*>(payload));
        }
        return;
    case notifyButton:
        if (payload == nullptr) {
            tracePayloadPointer(instance, code, traceWord::payload, payload);
        } else {
            traceButton(instance, *static_cast<const hostButtonRecord*>(payload));
        }
        return;
    case notifyQuery: {
        const traceField fields[] = {fieldInteger(code), fieldWord(traceWord::query),
                                     fieldText(static_cast<const char*>(payload))};
        traceEvent(instance, traceEventWord::notify, fields, 3);
        return;
    }
    case notifyTimer: {
        // The whole pointer-sized value: the script reads its low 32 bits.
        const traceField fields[] = {fieldInteger(code), fieldWord(traceWord::timer),
                                     fieldInteger(reinterpret_cast<intptr_t>(payload))};
        traceEvent(instance, traceEventWord::notify, fields, 3);
        return;
    }
    case notifyRelease:
        tracePayloadPointer(instance, code, traceWord::giveback, payload);
        return;
    default:
        tracePayloadPointer(instance, code, traceWord::payload, payload);
        return;
    }
}

// What a call returned ("returned", "reply"): null, or the pointer and,
// when it is a text the receiver reads, the text.
void traceResult(int32_t instance, const char* event, const char* result, bool readAsText)
{
    // A null result is written "null" by either field.
    const traceField fields[] = {fieldPointer(result), fieldText(result)};
    traceEvent(instance, event, fields, result != nullptr && readAsText ? 2 : 1);
}

void traceSend(int32_t instance, const char* text, int32_t code)
{
    // A command's text; a reply given back, or a code no script sends: the
    // pointer only.
    const traceField fields[] = {fieldInteger(code), code == sendExecute ? fieldText(text) : fieldPointer(text)};
    traceEvent(instance, traceEventWord::send, fields, 2);
}

}  // namespace

void tracedHost::reserved()
{
    real_->reserved();
}

const char* tracedHost::send(const char* text, int32_t code)
{
    // The host may delete the script during the call, and this object with
    // it: nothing of it is read after.
    const int32_t instance = instance_;
    script_host* const real = real_;
    traceSend(instance, text, code);
    const char* const reply = real->send(text, code);
    // Only a command's reply is a text the script reads.
    traceResult(instance, traceEventWord::reply, reply, code == sendExecute);
    return reply;
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
    // The host may delete this script during the call (from inside a
    // command): nothing of it is read after.
    const int32_t instance = instance_;
    morv_client_callback* const inner = inner_;
    traceNotify(instance, payload, code);
    const char* const result = inner->notify(payload, code);
    // Only a query's result is a text the host reads.
    traceResult(instance, traceEventWord::returned, result, code == notifyQuery);
    return result;
}

tracedScript::~tracedScript()
{
    if (inner_ == nullptr) {
        return;
    }
    traceEvent(instance_, traceEventWord::destroy, nullptr, 0);
    destroyScript(inner_);
    traceEvent(instance_, traceEventWord::destroyed, nullptr, 0);
}

void discardTracedScript(tracedScript* script)
{
    destroyScript(script);
}
