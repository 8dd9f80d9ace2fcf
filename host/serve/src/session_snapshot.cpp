#include "session_snapshot.h"

namespace panel_host {

namespace {

nlohmann::json controlSnapshot(const panelLayout& layout, const panelControl& control, const routerModel& router)
{
    nlohmann::json json{{"name", control.name},
                        {"caption", control.caption},
                        {"kind", controlKindName(control.kind)},
                        {"enabled", control.enabled},
                        {"properties", control.properties}};
    const auto sheet = control.properties.find("statesheet");
    if (sheet != control.properties.end()) {
        const stateSheet* look = layout.findStateSheet(sheet->second);
        json["look"] = look != nullptr ? look->look : "";
    }
    if (control.kind == controlKind::list) {
        json["items"] = listItems(control.name, router);
    }
    return json;
}

}  // namespace

const std::vector<std::string>& listItems(const std::string& listName, const routerModel& router)
{
    static const std::vector<std::string> none;
    if (router.devices().empty()) {
        return none;
    }
    const routerDevice& first = router.devices().front();
    return listName.rfind("Dest", 0) == 0 ? first.destinations : first.sources;
}

nlohmann::json sessionSnapshot(const hostSession& session, const snapshotSources& sources)
{
    nlohmann::json panels = nlohmann::json::array();
    for (const auto& [number, layout] : session.panels().panels()) {
        nlohmann::json controls = nlohmann::json::array();
        for (const panelControl& control : layout.controls) {
            controls.push_back(controlSnapshot(layout, control, session.router()));
        }
        panels.push_back({{"panel", number}, {"title", layout.title}, {"controls", std::move(controls)}});
    }
    nlohmann::json routers = nlohmann::json::array();
    for (const routerDevice& device : session.router().devices()) {
        routers.push_back({{"name", device.name},
                           {"number", device.number},
                           {"sources", device.sources},
                           {"destinations", device.destinations},
                           {"routes", device.routes}});
    }
    nlohmann::json timers = nlohmann::json::array();
    for (const auto& t : session.timers().running()) {
        timers.push_back({{"id", t.id}, {"interval", t.interval}, {"nextDue", t.nextDue}});
    }
    return {{"module", sources.module},    {"layouts", sources.layouts},
            {"router", sources.router},    {"breaches", session.report().total()},
            {"panels", std::move(panels)}, {"routers", std::move(routers)},
            {"timers", std::move(timers)}};
}

}  // namespace panel_host
