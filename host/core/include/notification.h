#pragma once

#include "button_event.h"
#include "host_text.h"

#include <cstdint>
#include <optional>
#include <string>

namespace panel_host {

// One notification the host delivers to a script with notify(payload, code),
// described by value. The session turns it into the payload the code needs
// (a tally record, a button record with its parsed event, a query text, a
// timer id) only for the duration of the call. Texts are host bytes; a
// field that is std::nullopt is a null pointer in the record.
struct notification {
    enum class kind {
        tally,    // code 1: device, index, value, text
        button,   // code 2: panel, control, event
        query,    // code 3: text (std::nullopt: a null payload)
        timer,    // code 4: value is the timer id
        release,  // code 5: gives back `pointer`, a text the script returned for a query
        other,    // any other code (6, 7, or one a script must ignore) with a zeroed record
        null,     // any code with a null payload
    };

    kind what = kind::other;
    std::int32_t code = 0;
    std::int32_t device = 0;
    std::int32_t index = 0;
    std::int32_t value = 0;
    std::optional<std::string> panel;
    std::optional<std::string> control;
    std::optional<std::string> event;
    std::optional<std::string> text;
    const char* pointer = nullptr;
    // A button record whose event is laid out field by field (a replay of a
    // trace): `eventFields` as given, std::nullopt a null event pointer;
    // otherwise the event is the split of `event` (std::nullopt: a null
    // event pointer).
    bool eventByFields = false;
    std::optional<buttonEvent> eventFields;
    // The script instance it goes to, from 1.
    std::int32_t instance = 1;

    static notification tally(std::int32_t device, std::int32_t index, std::int32_t value, std::string text);
    static notification button(std::optional<std::string> panel, std::optional<std::string> control,
                               std::optional<std::string> event);
    static notification buttonWithFields(std::optional<std::string> panel, std::optional<std::string> control,
                                         std::optional<buttonEvent> event);
    static notification query(std::optional<std::string> text);
    static notification timer(std::int32_t id);
    // `pointer` as the script returned it; `text` its contents, copied for display.
    static notification release(const char* pointer, std::string text);
    static notification other(std::int32_t code);
    static notification nullPayload(std::int32_t code);

    // The same notification for another script instance.
    notification to(std::int32_t target) const;

    // One readable line: "tally device 1 index 7 value 5 text 'Source 5'";
    // texts as shownField() writes them, decoded from `page`.
    std::string describe(const std::optional<codePage>& page = std::nullopt) const;
};

}  // namespace panel_host
