#include "notification_delivery.h"

#include "tally_record_storage.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace panel_host {

namespace {

const char* textOf(const std::optional<std::string>& text)
{
    return text ? text->c_str() : nullptr;
}

// A button record whose event is laid out as `fields` say, not split from a
// text: every pointer into the fields' own texts, valid during the call.
const char* deliverButtonWithFields(morv_client_callback& script, const notification& n)
{
    const std::optional<buttonEvent>& fields = n.eventFields;
    parsedMessage event(nullptr);
    if (fields) {
        event.name = textOf(fields->name);
        event.value = textOf(fields->value);
        for (std::size_t k = 0; k < fields->parts.size(); ++k) {
            event.parts[k] = textOf(fields->parts[k]);
        }
        event.count = fields->count;
        // The byte as recorded, whatever its value.
        std::memcpy(&event.hasValue, &fields->hasValue, 1);
    }
    hostButtonRecord record{nullptr, nullptr, textOf(n.panel), textOf(n.control), fields ? &event : nullptr};
    return script.notify(&record, n.code);
}

}  // namespace

const char* deliverNotification(morv_client_callback& script, const notification& n)
{
    switch (n.what) {
    case notification::kind::tally: {
        tallyRecordStorage storage(n.device, n.index, n.value, n.text ? n.text->c_str() : "");
        return script.notify(storage.record(), n.code);
    }
    case notification::kind::button: {
        if (n.eventByFields) {
            return deliverButtonWithFields(script, n);
        }
        const parsedMessage event(textOf(n.event));
        hostButtonRecord record{nullptr, nullptr, textOf(n.panel), textOf(n.control), n.event ? &event : nullptr};
        return script.notify(&record, n.code);
    }
    case notification::kind::query: {
        std::vector<char> text;
        if (n.text) {
            text.assign(n.text->begin(), n.text->end());
            text.push_back('\0');
        }
        return script.notify(n.text ? text.data() : nullptr, n.code);
    }
    case notification::kind::timer:
        return script.notify(reinterpret_cast<void*>(static_cast<std::intptr_t>(n.value)), n.code);
    case notification::kind::release:
        return script.notify(const_cast<char*>(n.pointer), n.code);
    case notification::kind::null:
        return script.notify(nullptr, n.code);
    case notification::kind::other: {
        std::array<std::int32_t, 16> record{};
        return script.notify(record.data(), n.code);
    }
    }
    return nullptr;
}

}  // namespace panel_host
