#pragma once

#include "button_event.h"

#include <cstdint>
#include <optional>
#include <string>

namespace panel_host {

// One notification the host delivers to a script with notify(payload, code),
// described by value. The session turns it into the payload the code needs
// (a tally record, a button record with its parsed event, a query text, a
// timer id) only for the duration of the call.
struct notification {
    enum class kind {
        tally,    // code 1: device, index, value, text
        button,   // code 2: panel, control, event
        query,    // code 3: text (std::nullopt: a null payload)
        timer,    // code 4: value is the timer id
        release,  // code 5: gives back `pointer`, a text the script returned for a query
        other,    // any other code (6, 7, or one a script must ignore) with a zeroed record
    };

    kind what = kind::other;
    std::int32_t code = 0;
    std::int32_t device = 0;
    std::int32_t index = 0;
    std::int32_t value = 0;
    std::string panel;
    std::string control;
    std::string event;
    std::optional<std::string> text;
    const char* pointer = nullptr;
    // A button record whose event is laid out field by field (a replay of a
    // trace): `eventFields` as given, std::nullopt a null event pointer;
    // otherwise the event is the split of `event`.
    bool eventByFields = false;
    std::optional<buttonEvent> eventFields;

    static notification tally(std::int32_t device, std::int32_t index, std::int32_t value, std::string text);
    static notification button(std::string panel, std::string control, std::string event);
    static notification buttonWithFields(std::string panel, std::string control, std::optional<buttonEvent> event);
    static notification query(std::optional<std::string> text);
    static notification timer(std::int32_t id);
    // `pointer` as the script returned it; `text` its contents, copied for display.
    static notification release(const char* pointer, std::string text);
    static notification other(std::int32_t code);

    // One readable line: "tally device 1 index 7 value 5 text 'Source 5'".
    std::string describe() const;
};

}  // namespace panel_host
