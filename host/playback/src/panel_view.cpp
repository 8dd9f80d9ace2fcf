#include "panel_view.h"

#include "host_text.h"

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

std::string buttonState(const panelLayout& layout, const panelControl& control, codePage page)
{
    std::string text = control.enabled ? "enabled" : "disabled";
    const auto sheet = control.properties.find("statesheet");
    if (sheet != control.properties.end()) {
        const stateSheet* look = layout.findStateSheet(sheet->second);
        text += ", " + shownBytes(sheet->second, page) +
                (look != nullptr && !look->look.empty() ? " (" + shownBytes(look->look, page) + ")" : "");
    }
    return text;
}

// How many columns a shown text takes: its characters, not its bytes.
std::size_t columns(const std::string& shown)
{
    std::size_t count = 0;
    for (const char c : shown) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

// "@2 " before what belongs to one instance of several.
std::string instanceMark(const hostSession& session, std::int32_t instance)
{
    return session.instanceCount() > 1 ? "@" + std::to_string(instance) + " " : "";
}

}  // namespace

std::string renderControlLine(const panelLayout& layout, const panelControl& control, codePage page)
{
    std::string value;
    switch (control.kind) {
    case controlKind::list: {
        const std::string choice = property(control, "select", "-1");
        value = "list, chosen " + (choice == "-1" ? std::string("none") : shownBytes(choice, page));
        break;
    }
    case controlKind::label:
        value = shownBytes(property(control, "text", ""), page);
        break;
    case controlKind::button:
        value = "[" + buttonState(layout, control, page) + "]";
        break;
    }
    // As choose and press take it: a name a blank or nothing could hide is quoted.
    const std::string shownName = scenarioWord(control.name, page);
    return "  " + shownName + std::string(14 - std::min<std::size_t>(columns(shownName), 14), ' ') + value + "\n";
}

namespace {

std::string routesOf(const routerDevice& device, codePage page)
{
    std::string text = "router " + shownBytes(device.name, page) + " (device " + std::to_string(device.number) +
                       "), destination<-source:\n";
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
    const codePage page = session.textCodePage();
    std::string text;
    for (std::int32_t instance = 1; instance <= session.instanceCount(); ++instance) {
        for (const auto& [number, layout] : session.panels(instance).panels()) {
            text += instanceMark(session, instance) + "panel " + shownBytes(number, page) +
                    (layout.title.empty() ? "" : " \"" + shownBytes(layout.title, page) + "\"") + ":\n";
            for (const panelControl& control : layout.controls) {
                text += renderControlLine(layout, control, page);
            }
        }
    }
    return text.empty() ? "no panel is shown\n" : text;
}

}  // namespace

std::string renderTimers(const hostSession& session)
{
    std::string text;
    const auto timers = session.timers().running();
    text += timers.empty() ? "timers: none\n" : "timers:";
    for (const auto& t : timers) {
        text += " " + instanceMark(session, t.instance) + std::to_string(t.id) + " every " +
                std::to_string(t.interval) + " ms (next at " + seconds(t.nextDue) + ")";
    }
    text += timers.empty() ? "" : "\n";
    return text;
}

std::string renderSessionView(const hostSession& session)
{
    std::string text = "+--- at " + seconds(session.timers().now()) + "\n" + panelsOf(session);
    for (const routerDevice& device : session.router().devices()) {
        text += routesOf(device, session.textCodePage());
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
    const codePage page = session.textCodePage();
    for (std::int32_t instance = 1; instance <= session.instanceCount(); ++instance) {
        for (const auto& [number, layout] : session.panels(instance).panels()) {
            for (const panelControl& control : layout.controls) {
                if (control.kind == controlKind::button) {
                    text += (text.empty() ? "" : "  ") + instanceMark(session, instance) +
                            shownBytes(control.name, page) + ": " + buttonState(layout, control, page);
                }
            }
        }
    }
    return "  [" + seconds(session.timers().now()) + "] " + text + "\n";
}

}  // namespace panel_host
