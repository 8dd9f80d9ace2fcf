#include "host_event.h"

#include "host_session.h"

namespace panel_host {

namespace {

std::string notificationLine(const notification& n)
{
    const auto number = [](std::int64_t v) { return std::to_string(v); };
    const auto word = [](const std::optional<std::string>& text) {
        return text ? scenarioWord(*text, std::nullopt) : std::string("null");
    };
    switch (n.what) {
    case notification::kind::tally:
        return "tally " + number(n.device) + " " + number(n.index) + " " + number(n.value) +
               (n.text.value_or("").empty() ? "" : " " + scenarioText(*n.text, std::nullopt));
    case notification::kind::button:
        return "button " + word(n.panel) + " " + word(n.control) + " " + scenarioTextOrNull(n.event, std::nullopt);
    case notification::kind::query:
        return n.text ? "query " + scenarioText(*n.text, std::nullopt) : "query";
    case notification::kind::timer:
        return "tick " + number(n.value);
    case notification::kind::release:
        // The host gives a query's text back by itself after each query line.
        return "# " + n.describe();
    case notification::kind::null:
        return "notify " + number(n.code) + " null";
    case notification::kind::other:
        break;
    }
    return "notify " + number(n.code);
}

}  // namespace

hostEvent hostEvent::notify(notification n)
{
    hostEvent event;
    event.what = kind::notify;
    event.n = std::move(n);
    return event;
}

hostEvent hostEvent::wait(std::int64_t milliseconds)
{
    hostEvent event;
    event.what = kind::wait;
    event.milliseconds = milliseconds;
    return event;
}

hostEvent hostEvent::route(std::int32_t device, std::int32_t source, std::int32_t destination)
{
    hostEvent event;
    event.what = kind::route;
    event.device = device;
    event.source = source;
    event.destination = destination;
    return event;
}

std::string hostEvent::describe() const
{
    switch (what) {
    case kind::notify:
        return n.describe();
    case kind::wait:
        return "wait " + std::to_string(milliseconds) + " ms";
    case kind::route:
        return routeDescription(device, source, destination);
    }
    return "unknown event";
}

std::string hostEvent::scenarioLine() const
{
    switch (what) {
    case kind::notify:
        return (n.instance != 1 ? "@" + std::to_string(n.instance) + " " : std::string()) + notificationLine(n);
    case kind::wait:
        return "wait " + std::to_string(milliseconds);
    case kind::route:
        return "route " + std::to_string(source) + " " + std::to_string(destination) + " " + std::to_string(device);
    }
    return "# unknown event";
}

std::string routeDescription(std::int32_t device, std::int32_t source, std::int32_t destination)
{
    return "another controller routes source " + std::to_string(source) + " to destination " +
           std::to_string(destination) + " on device " + std::to_string(device);
}

void applyEvent(hostSession& session, const hostEvent& event)
{
    switch (event.what) {
    case hostEvent::kind::notify:
        session.deliver(event.n);
        break;
    case hostEvent::kind::wait:
        session.wait(event.milliseconds);
        break;
    case hostEvent::kind::route:
        session.routeByOtherController(event.device, event.source, event.destination);
        break;
    }
}

}  // namespace panel_host
