#include "change_view.h"

#include "host_text.h"
#include "panel_view.h"

namespace panel_host {

namespace {

std::string timerSet(const hostSession& session)
{
    std::string text;
    for (const auto& t : session.timers().running()) {
        text += std::to_string(t.instance) + ":" + std::to_string(t.id) + "/" + std::to_string(t.interval) + " ";
    }
    return text;
}

bool sameControl(const panelControl& a, const panelControl& b)
{
    return a.enabled == b.enabled && a.properties == b.properties;
}

}  // namespace

changeView::changeView(const hostSession& session) : devices_(session.router().devices()), timers_(timerSet(session))
{
    for (std::int32_t instance = 1; instance <= session.instanceCount(); ++instance) {
        panels_.push_back(session.panels(instance).panels());
    }
}

std::string changeView::changesIn(const hostSession& now) const
{
    std::string text;
    const codePage page = now.textCodePage();
    static const std::map<std::string, panelLayout> none;
    for (std::int32_t instance = 1; instance <= now.instanceCount(); ++instance) {
        const auto& before = static_cast<std::size_t>(instance) <= panels_.size()
                                 ? panels_[static_cast<std::size_t>(instance - 1)]
                                 : none;
        const std::string mark = now.instanceCount() > 1 ? "@" + std::to_string(instance) + " " : "";
        for (const auto& [number, layout] : now.panels(instance).panels()) {
            const auto shown = before.find(number);
            if (shown == before.end()) {
                text += mark + "panel " + shownBytes(number, page) + " shown" +
                        (layout.title.empty() ? "" : " \"" + shownBytes(layout.title, page) + "\"") + "\n";
            }
            for (const panelControl& control : layout.controls) {
                const panelControl* old = shown == before.end() ? nullptr : shown->second.findControl(control.name);
                if (old == nullptr || !sameControl(*old, control)) {
                    text += mark + renderControlLine(layout, control, page);
                }
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
                            std::to_string(device.routes[d]) + " on " + shownBytes(device.name, page) + " (was " +
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
