#include "panel_view.h"

#include "input_rules.h"

#include <algorithm>
#include <cstdio>

namespace panel_host {

namespace {

std::string property(const panelControl& control, const std::string& name, const std::string& none)
{
    const auto it = control.properties.find(name);
    return it != control.properties.end() ? it->second : none;
}

std::string seconds(std::int64_t milliseconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%03lld s", static_cast<long long>(milliseconds / 1000),
                  static_cast<long long>(milliseconds % 1000));
    return text;
}

std::string buttonState(const panelLayout& layout, const panelControl& control)
{
    std::string text = control.enabled ? "enabled" : "disabled";
    const auto sheet = control.properties.find("statesheet");
    if (sheet != control.properties.end()) {
        const stateSheet* look = layout.findStateSheet(sheet->second);
        text += ", " + shownText(sheet->second) +
                (look != nullptr && !look->look.empty() ? " (" + shownText(look->look) + ")" : "");
    }
    return text;
}

}  // namespace

std::string renderControlLine(const panelLayout& layout, const panelControl& control)
{
    std::string value;
    switch (control.kind) {
    case controlKind::list: {
        const std::string choice = property(control, "select", "-1");
        value = "list, chosen " + (choice == "-1" ? std::string("none") : shownText(choice));
        break;
    }
    case controlKind::label:
        value = shownText(property(control, "text", ""));
        break;
    case controlKind::button:
        value = "[" + buttonState(layout, control) + "]";
        break;
    }
    std::string name = shownText(control.name);
    name.resize(std::max<std::size_t>(name.size(), 14), ' ');
    return "  " + name + value + "\n";
}

namespace {

std::string routesOf(const routerDevice& device)
{
    std::string text =
        "router " + shownText(device.name) + " (device " + std::to_string(device.number) + "), destination<-source:\n";
    constexpr std::int32_t perLine = 8;
    for (std::int32_t d = 1; d <= device.destinationCount(); ++d) {
        char cell[32];
        std::snprintf(cell, sizeof cell, "%3d<-%-3d", d, device.routes[static_cast<std::size_t>(d - 1)]);
        text += (d % perLine == 1 ? "  " : " ") + std::string(cell);
        if (d % perLine == 0 || d == device.destinationCount()) {
            text.erase(text.find_last_not_of(' ') + 1);
            text += "\n";
        }
    }
    return text;
}

std::string panelsOf(const hostSession& session)
{
    std::string text;
    if (session.panels().panels().empty()) {
        text += "no panel is shown\n";
    }
    for (const auto& [number, layout] : session.panels().panels()) {
        text +=
            "panel " + shownText(number) + (layout.title.empty() ? "" : " \"" + shownText(layout.title) + "\"") + ":\n";
        for (const panelControl& control : layout.controls) {
            text += renderControlLine(layout, control);
        }
    }
    return text;
}

}  // namespace

std::string renderTimers(const hostSession& session)
{
    std::string text;
    const auto timers = session.timers().running();
    text += timers.empty() ? "timers: none\n" : "timers:";
    for (const auto& t : timers) {
        text += " " + std::to_string(t.id) + " every " + std::to_string(t.interval) + " ms (next at " +
                seconds(t.nextDue) + ")";
    }
    text += timers.empty() ? "" : "\n";
    return text;
}

std::string renderSessionView(const hostSession& session)
{
    std::string text = "+--- at " + seconds(session.timers().now()) + "\n" + panelsOf(session);
    for (const routerDevice& device : session.router().devices()) {
        text += routesOf(device);
    }
    return text + renderTimers(session) + "+---\n";
}

std::string renderPanelView(const hostSession& session)
{
    return "+--- at " + seconds(session.timers().now()) + "\n" + panelsOf(session) + renderTimers(session) + "+---\n";
}

std::string renderButtonLine(const hostSession& session)
{
    std::string text;
    for (const auto& [number, layout] : session.panels().panels()) {
        for (const panelControl& control : layout.controls) {
            if (control.kind == controlKind::button) {
                text += (text.empty() ? "" : "  ") + shownText(control.name) + ": " + buttonState(layout, control);
            }
        }
    }
    return "  [" + seconds(session.timers().now()) + "] " + text + "\n";
}

}  // namespace panel_host
