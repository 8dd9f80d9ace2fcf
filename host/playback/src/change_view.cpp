#include "change_view.h"

#include "input_rules.h"
#include "panel_view.h"

namespace panel_host {

namespace {

std::string timerSet(const hostSession& session)
{
    std::string text;
    for (const auto& t : session.timers().running()) {
        text += std::to_string(t.id) + "/" + std::to_string(t.interval) + " ";
    }
    return text;
}

bool sameControl(const panelControl& a, const panelControl& b)
{
    return a.enabled == b.enabled && a.properties == b.properties;
}

}  // namespace

changeView::changeView(const hostSession& session)
    : panels_(session.panels().panels()), devices_(session.router().devices()), timers_(timerSet(session))
{
}

std::string changeView::changesIn(const hostSession& now) const
{
    std::string text;
    for (const auto& [number, layout] : now.panels().panels()) {
        const auto before = panels_.find(number);
        if (before == panels_.end()) {
            text += "panel " + shownText(number) + " shown" +
                    (layout.title.empty() ? "" : " \"" + shownText(layout.title) + "\"") + "\n";
        }
        for (const panelControl& control : layout.controls) {
            const panelControl* old = before == panels_.end() ? nullptr : before->second.findControl(control.name);
            if (old == nullptr || !sameControl(*old, control)) {
                text += renderControlLine(layout, control);
            }
        }
    }
    for (const routerDevice& device : now.router().devices()) {
        for (const routerDevice& old : devices_) {
            if (old.number != device.number || old.routes == device.routes) {
                continue;
            }
            for (std::size_t d = 0; d < device.routes.size() && d < old.routes.size(); ++d) {
                if (device.routes[d] != old.routes[d]) {
                    text += "  route: destination " + std::to_string(d + 1) + " <- source " +
                            std::to_string(device.routes[d]) + " on " + shownText(device.name) + " (was " +
                            std::to_string(old.routes[d]) + ")\n";
                }
            }
        }
    }
    if (timerSet(now) != timers_) {
        text += "  " + renderTimers(now);
    }
    return text;
}

}  // namespace panel_host
