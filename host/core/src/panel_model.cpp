#include "panel_model.h"

#include "input_rules.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace panel_host {

namespace {

bool isSelection(const std::string& value)
{
    if (value.empty() || value.size() > 10) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(value.c_str(), &end, 10);
    return errno == 0 && *end == '\0' && number >= -1 && std::to_string(number) == value;
}

template <typename Control, typename Controls>
Control* findByName(Controls& controls, const std::string& name)
{
    auto it = std::find_if(controls.begin(), controls.end(), [&name](const auto& c) { return c.name == name; });
    return it != controls.end() ? &*it : nullptr;
}

}  // namespace

const char* controlKindName(controlKind kind)
{
    switch (kind) {
    case controlKind::list:
        return "list";
    case controlKind::label:
        return "label";
    case controlKind::button:
        return "button";
    }
    return "unknown";
}

std::optional<controlKind> controlKindFromName(const std::string& name)
{
    for (controlKind kind : {controlKind::list, controlKind::label, controlKind::button}) {
        if (name == controlKindName(kind)) {
            return kind;
        }
    }
    return std::nullopt;
}

panelControl* panelLayout::findControl(const std::string& name)
{
    return findByName<panelControl>(controls, name);
}

const panelControl* panelLayout::findControl(const std::string& name) const
{
    return findByName<const panelControl>(controls, name);
}

const stateSheet* panelLayout::findStateSheet(const std::string& name) const
{
    return findByName<const stateSheet>(stateSheets, name);
}

std::string propertyProblem(const panelLayout& layout, const panelControl& control, const std::string& name,
                            const std::string& value)
{
    if (name.empty()) {
        return "a property needs a name";
    }
    if (name == "enabled") {
        return "\"enabled\" changes only by enabling and disabling the control";
    }
    if (name == "statesheet" && layout.findStateSheet(value) == nullptr) {
        return "the layout has no state sheet \"" + shownText(value) + "\"";
    }
    if (name == "select" && control.kind == controlKind::list && !isSelection(value)) {
        return "the selection of list \"" + shownText(control.name) + "\" must be a whole number from -1 up, not \"" +
               shownText(value) + "\"";
    }
    return {};
}

std::optional<std::string> propertyAssignment(const panelControl& control, const std::string& name)
{
    if (name == "enabled") {
        return std::string("enabled=") + (control.enabled ? "1" : "0");
    }
    const auto it = control.properties.find(name);
    if (it == control.properties.end()) {
        return std::nullopt;
    }
    return it->first + "=" + it->second;
}

std::string allPropertyAssignments(const panelControl& control)
{
    std::string all = *propertyAssignment(control, "enabled");
    for (const auto& [name, value] : control.properties) {
        all += "," + name + "=" + value;
    }
    return all;
}

void panelModel::show(const std::string& panel, panelLayout layout)
{
    panels_[panel] = std::move(layout);
}

panelLayout* panelModel::find(const std::string& panel)
{
    const auto it = panels_.find(panel);
    return it != panels_.end() ? &it->second : nullptr;
}

const panelLayout* panelModel::find(const std::string& panel) const
{
    const auto it = panels_.find(panel);
    return it != panels_.end() ? &it->second : nullptr;
}

}  // namespace panel_host
