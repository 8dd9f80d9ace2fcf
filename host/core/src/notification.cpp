#include "notification.h"

namespace panel_host {

notification notification::tally(std::int32_t device, std::int32_t index, std::int32_t value, std::string text)
{
    notification n;
    n.what = kind::tally;
    n.code = 1;
    n.device = device;
    n.index = index;
    n.value = value;
    n.text = std::move(text);
    return n;
}

notification notification::button(std::string panel, std::string control, std::string event)
{
    notification n;
    n.what = kind::button;
    n.code = 2;
    n.panel = std::move(panel);
    n.control = std::move(control);
    n.event = std::move(event);
    return n;
}

notification notification::buttonWithFields(std::string panel, std::string control, std::optional<buttonEvent> event)
{
    notification n = button(std::move(panel), std::move(control), {});
    n.eventByFields = true;
    n.eventFields = std::move(event);
    return n;
}

notification notification::query(std::optional<std::string> text)
{
    notification n;
    n.what = kind::query;
    n.code = 3;
    n.text = std::move(text);
    return n;
}

notification notification::timer(std::int32_t id)
{
    notification n;
    n.what = kind::timer;
    n.code = 4;
    n.value = id;
    return n;
}

notification notification::release(const char* pointer, std::string text)
{
    notification n;
    n.what = kind::release;
    n.code = 5;
    n.pointer = pointer;
    n.text = std::move(text);
    return n;
}

notification notification::other(std::int32_t code)
{
    notification n;
    n.what = kind::other;
    n.code = code;
    return n;
}

std::string notification::describe() const
{
    const std::string quotedText = text ? "'" + *text + "'" : "null";
    switch (what) {
    case kind::tally:
        return "tally device " + std::to_string(device) + " index " + std::to_string(index) + " value " +
               std::to_string(value) + " text " + quotedText;
    case kind::button:
        return "button panel '" + panel + "' control '" + control + "' " +
               (eventByFields ? "record " + writtenButtonEvent(eventFields) : "event '" + event + "'");
    case kind::query:
        return "query " + quotedText;
    case kind::timer:
        return "timer " + std::to_string(value);
    case kind::release:
        return "give back the query reply " + quotedText;
    case kind::other:
        break;
    }
    return "code " + std::to_string(code) + " with an empty record";
}

}  // namespace panel_host
