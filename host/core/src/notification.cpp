#include "notification.h"

#include "notify_codes.h"

namespace panel_host {

notification notification::tally(std::int32_t device, std::int32_t index, std::int32_t value, std::string text)
{
    notification n;
    n.what = kind::tally;
    n.code = notifyTally;
    n.device = device;
    n.index = index;
    n.value = value;
    n.text = std::move(text);
    return n;
}

notification notification::button(std::optional<std::string> panel, std::optional<std::string> control,
                                  std::optional<std::string> event)
{
    notification n;
    n.what = kind::button;
    n.code = notifyButton;
    n.panel = std::move(panel);
    n.control = std::move(control);
    n.event = std::move(event);
    return n;
}

notification notification::buttonWithFields(std::optional<std::string> panel, std::optional<std::string> control,
                                            std::optional<buttonEvent> event)
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
    n.code = notifyQuery;
    n.text = std::move(text);
    return n;
}

notification notification::timer(std::int32_t id)
{
    notification n;
    n.what = kind::timer;
    n.code = notifyTimer;
    n.value = id;
    return n;
}

notification notification::release(const char* pointer, std::string text)
{
    notification n;
    n.what = kind::release;
    n.code = notifyRelease;
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

notification notification::nullPayload(std::int32_t code)
{
    notification n;
    n.what = kind::null;
    n.code = code;
    return n;
}

notification notification::to(std::int32_t target) const
{
    notification n = *this;
    n.instance = target;
    return n;
}

std::string notification::describe(const std::optional<codePage>& page) const
{
    const std::string shownText = shownField(text, page);
    switch (what) {
    case kind::tally:
        return "tally device " + std::to_string(device) + " index " + std::to_string(index) + " value " +
               std::to_string(value) + " text " + shownText;
    case kind::button:
        return "button panel " + shownField(panel, page) + " control " + shownField(control, page) +
               (eventByFields ? " record " + writtenButtonEvent(eventFields, page)
                              : " event " + shownField(event, page));
    case kind::query:
        return "query " + shownText;
    case kind::timer:
        return "timer " + std::to_string(value);
    case kind::release:
        return "give back the query reply " + shownText;
    case kind::null:
        return "code " + std::to_string(code) + " with a null payload";
    case kind::other:
        break;
    }
    return "code " + std::to_string(code) + " with an empty record";
}

}  // namespace panel_host
