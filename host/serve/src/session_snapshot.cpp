#include "session_snapshot.h"

namespace panel_host {

namespace {

// Names and texts go to the page as text: host bytes decoded from the host's
// code page (a byte without a character as its private-use character, so
// that the page can send the name back as it came).
class textsOf {
public:
    explicit textsOf(codePage page) : page_(page) {}

    std::string operator()(const std::string& bytes) const { return hostBytesToText(bytes, page_); }

    nlohmann::json all(const std::vector<std::string>& texts) const
    {
        nlohmann::json out = nlohmann::json::array();
        for (const std::string& bytes : texts) {
            out.push_back((*this)(bytes));
        }
        return out;
    }

    nlohmann::json properties(const std::map<std::string, std::string>& properties) const
    {
        nlohmann::json out = nlohmann::json::object();
        for (const auto& [name, value] : properties) {
            out[(*this)(name)] = (*this)(value);
        }
        return out;
    }

private:
    codePage page_;
};

nlohmann::json controlSnapshot(const panelLayout& layout, const panelControl& control, const routerModel& router,
                               const textsOf& text)
{
    nlohmann::json json{{"name", text(control.name)},
                        {"caption", text(control.caption)},
                        {"kind", controlKindName(control.kind)},
                        {"enabled", control.enabled},
                        {"properties", text.properties(control.properties)}};
    const auto sheet = control.properties.find("statesheet");
    if (sheet != control.properties.end()) {
        const stateSheet* look = layout.findStateSheet(sheet->second);
        json["look"] = look != nullptr ? text(look->look) : "";
    }
    if (control.kind == controlKind::list) {
        json["items"] = text.all(listItems(control.name, router));
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
    const textsOf text(session.textCodePage());
    nlohmann::json panels = nlohmann::json::array();
    for (std::int32_t instance = 1; instance <= session.instanceCount(); ++instance) {
        for (const auto& [number, layout] : session.panels(instance).panels()) {
            nlohmann::json controls = nlohmann::json::array();
            for (const panelControl& control : layout.controls) {
                controls.push_back(controlSnapshot(layout, control, session.router(), text));
            }
            panels.push_back({{"instance", instance},
                              {"loaded", session.scriptLoaded(instance)},
                              {"panel", text(number)},
                              {"title", text(layout.title)},
                              {"controls", std::move(controls)}});
        }
    }
    nlohmann::json routers = nlohmann::json::array();
    for (const routerDevice& device : session.router().devices()) {
        routers.push_back({{"name", text(device.name)},
                           {"number", device.number},
                           {"sources", text.all(device.sources)},
                           {"destinations", text.all(device.destinations)},
                           {"routes", device.routes}});
    }
    nlohmann::json timers = nlohmann::json::array();
    for (const auto& t : session.timers().running()) {
        timers.push_back({{"instance", t.instance}, {"id", t.id}, {"interval", t.interval}, {"nextDue", t.nextDue}});
    }
    return {{"module", sources.module},
            {"layouts", sources.layouts},
            {"router", sources.router},
            {"codePage", codePageName(session.textCodePage())},
            {"breaches", session.report().total()},
            {"instances", session.instanceCount()},
            {"panels", std::move(panels)},
            {"routers", std::move(routers)},
            {"timers", std::move(timers)}};
}

}  // namespace panel_host
