#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace panel_host {

enum class controlKind { list, label, button };

const char* controlKindName(controlKind kind);
std::optional<controlKind> controlKindFromName(const std::string& name);

// One control of a shown panel: its kind, whether it is enabled, and its
// properties by name ("text", "select", "statesheet", ...).
struct panelControl {
    std::string name;
    // What a person reads beside the control; the name when the layout gives none.
    std::string caption;
    controlKind kind = controlKind::label;
    bool enabled = true;
    std::map<std::string, std::string> properties;
    // A list's entries, when its layout says: the operator chooses 1 to
    // `entries`, or as many as the router has sources or destinations
    // (`entriesOf`). Unknown (-1, ""): any choice from -1 up.
    std::int32_t entries = -1;
    std::string entriesOf;
};

// A named look that a control's "statesheet" property can select.
struct stateSheet {
    std::string name;
    std::string look;
};

// What a layout file describes, and what the host keeps of a shown panel.
struct panelLayout {
    std::string title;
    std::vector<panelControl> controls;  // in layout order
    std::vector<stateSheet> stateSheets;

    panelControl* findControl(const std::string& name);
    const panelControl* findControl(const std::string& name) const;
    const stateSheet* findStateSheet(const std::string& name) const;
};

// The property rules of the host: "" when `name` may be set to `value` on
// `control`, otherwise the reason why not. "enabled" is changed only by
// enabling and disabling; "statesheet" must name a state sheet of the layout;
// a list's "select" is a whole number from -1 (nothing chosen) up.
std::string propertyProblem(const panelLayout& layout, const panelControl& control, const std::string& name,
                            const std::string& value);

// "name=value" of one property of a control, "enabled" included (1 or 0);
// std::nullopt when the control has no such property.
std::optional<std::string> propertyAssignment(const panelControl& control, const std::string& name);
// Every property as "name=value", "enabled" first, joined with ','.
std::string allPropertyAssignments(const panelControl& control);

// The panel the operator works on (choose, press, the web page, the
// validator's events): the one panel scripts show their layout on.
inline constexpr char operatorPanel[] = "1";

// The panels the host shows, by panel number text (operatorPanel).
class panelModel {
public:
    // Shows `layout` as panel `panel`, replacing what that panel showed.
    void show(const std::string& panel, panelLayout layout);
    panelLayout* find(const std::string& panel);
    const panelLayout* find(const std::string& panel) const;
    const std::map<std::string, panelLayout>& panels() const { return panels_; }

private:
    std::map<std::string, panelLayout> panels_;
};

}  // namespace panel_host
