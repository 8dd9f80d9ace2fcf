#include "validation_event.h"

#include "printable_text.h"

namespace panel_host {

validationEvent validationEvent::notify(notification n)
{
    validationEvent event;
    event.what = kind::notify;
    event.n = std::move(n);
    return event;
}

validationEvent validationEvent::wait(std::int64_t milliseconds)
{
    validationEvent event;
    event.what = kind::wait;
    event.milliseconds = milliseconds;
    return event;
}

validationEvent validationEvent::route(std::int32_t device, std::int32_t source, std::int32_t destination)
{
    validationEvent event;
    event.what = kind::route;
    event.device = device;
    event.source = source;
    event.destination = destination;
    return event;
}

std::string validationEvent::describe() const
{
    switch (what) {
    case kind::notify:
        return printableText(n.describe(), 200);
    case kind::wait:
        return "wait " + std::to_string(milliseconds) + " ms";
    case kind::route:
        return "another controller routes source " + std::to_string(source) + " to destination " +
               std::to_string(destination) + " on device " + std::to_string(device);
    }
    return "unknown event";
}

void applyEvent(hostSession& session, const validationEvent& event)
{
    switch (event.what) {
    case validationEvent::kind::notify:
        session.deliver(event.n);
        break;
    case validationEvent::kind::wait:
        session.wait(event.milliseconds);
        break;
    case validationEvent::kind::route:
        session.routeByOtherController(event.device, event.source, event.destination);
        break;
    }
}

}  // namespace panel_host
