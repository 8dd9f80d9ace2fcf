#include "command_interpreter.h"

#include "layout_file.h"

namespace panel_host {

commandInterpreter::commandInterpreter(panelModel& panels, routerModel& router, timerScheduler& timers,
                                       std::int32_t instance)
    : panels_(panels), router_(router), timers_(timers), instance_(instance)
{
}

interpretation commandInterpreter::execute(const std::string& text)
{
    interpretation result;
    commandParse parse = parseCommandText(text);
    if (!parse.ok) {
        result.parseProblem = parse.problem;
        return result;
    }
    result.parsed = true;
    const parsedCommand& c = parse.command;
    result.code = c.code;
    switch (c.code) {
    case commandCode::PS:
        showPanel(c, result);
        break;
    case commandCode::TP:
        putProperty(c, result);
        break;
    case commandCode::TG:
        getProperty(c, result);
        break;
    case commandCode::CE:
        enableControl(c, true, result);
        break;
    case commandCode::CD:
        enableControl(c, false, result);
        break;
    case commandCode::XI:
        listControls(c, result);
        break;
    case commandCode::SD:
        findDevice(c, result);
        break;
    case commandCode::RC:
        routeCrosspoint(c, result);
        break;
    case commandCode::RN:
        nameOf(c, result);
        break;
    case commandCode::RR:
        registerTallies(c, result);
        break;
    case commandCode::RP:
        pollTallies(c, result);
        break;
    case commandCode::ET:
        setTimer(c, result);
        break;
    case commandCode::AS:
        stopScript();
        break;
    }
    return result;
}

void commandInterpreter::note(interpretation& result, const std::string& problem)
{
    if (!problem.empty()) {
        result.diagnostics.push_back(problem);
    }
}

panelControl* commandInterpreter::control(const std::string& panel, const std::string& name, interpretation& result,
                                          panelLayout** layout)
{
    panelLayout* shown = panels_.find(panel);
    if (shown == nullptr) {
        note(result, "no panel '" + panel + "' is shown");
        return nullptr;
    }
    panelControl* found = shown->findControl(name);
    if (found == nullptr) {
        note(result, "panel '" + panel + "' has no control '" + name + "'");
    }
    if (layout != nullptr) {
        *layout = shown;
    }
    return found;
}

void commandInterpreter::showPanel(const parsedCommand& c, interpretation& result)
{
    layoutResult loaded;
    if (auto preloaded = preloaded_.extract(c.texts[1])) {
        loaded.ok = true;
        loaded.layout = std::move(preloaded.mapped());
    } else {
        loaded = loadLayoutFile(c.texts[1]);
    }
    if (!loaded.ok) {
        note(result, loaded.error);
        return;
    }
    if (c.texts.size() > 2 && !c.texts[2].empty()) {
        note(result, "the extra field '" + c.texts[2] + "' of PS is ignored");
    }
    panels_.show(c.texts[0], std::move(loaded.layout));
    result.reply = "OK";
}

void commandInterpreter::putProperty(const parsedCommand& c, interpretation& result)
{
    panelLayout* layout = nullptr;
    panelControl* target = control(c.texts[1], c.texts[2], result, &layout);
    if (target == nullptr) {
        return;
    }
    const std::string& assignment = c.texts[0];
    const std::size_t equals = assignment.find('=');
    const std::string name = assignment.substr(0, equals);
    const std::string value = assignment.substr(equals + 1);
    const std::string problem = propertyProblem(*layout, *target, name, value);
    if (!problem.empty()) {
        note(result, "control '" + target->name + "': " + problem);
        return;
    }
    target->properties[name] = value;
}

void commandInterpreter::getProperty(const parsedCommand& c, interpretation& result)
{
    const panelControl* target = control(c.texts[0], c.texts[1], result);
    if (target == nullptr) {
        return;
    }
    const std::string& property = c.texts[2];
    result.reply = property == "all" ? allPropertyAssignments(*target) : propertyAssignment(*target, property);
    if (!result.reply) {
        note(result, "control '" + target->name + "' has no property '" + property + "'");
    }
}

void commandInterpreter::enableControl(const parsedCommand& c, bool enabled, interpretation& result)
{
    if (panelControl* target = control(c.texts[0], c.texts[1], result)) {
        target->enabled = enabled;
    }
}

void commandInterpreter::listControls(const parsedCommand& c, interpretation& result)
{
    const panelLayout* shown = panels_.find(c.texts[0]);
    if (shown == nullptr) {
        note(result, "no panel '" + c.texts[0] + "' is shown");
        return;
    }
    std::string names;
    for (const panelControl& control : shown->controls) {
        if (control.name.compare(0, c.texts[1].size(), c.texts[1]) == 0) {
            names += (names.empty() ? "" : ",") + control.name;
        }
    }
    if (!names.empty()) {
        result.reply = names;
    }
}

void commandInterpreter::findDevice(const parsedCommand& c, interpretation& result)
{
    const routerDevice* device = router_.findByName(c.texts[0]);
    if (device == nullptr) {
        note(result, "no device named '" + c.texts[0] + "'");
        return;
    }
    result.reply = std::to_string(device->number) + " '" + device->name + "'";
}

void commandInterpreter::routeCrosspoint(const parsedCommand& c, interpretation& result)
{
    note(result, router_.route(c.numbers[0], c.numbers[1], c.numbers[2]));
}

void commandInterpreter::nameOf(const parsedCommand& c, interpretation& result)
{
    const std::int32_t device = c.numbers[0];
    const std::int32_t kind = c.numbers[1];
    const std::int32_t index = c.numbers[2];
    result.reply = router_.name(device, kind, index);
    if (result.reply) {
        return;
    }
    if (kind != routerModel::sourceKind && kind != routerModel::destinationKind) {
        note(result, "RN kind " + std::to_string(kind) + " is neither 0 (source) nor 1 (destination)");
    } else {
        note(result, "device " + std::to_string(device) + " has no " +
                         (kind == routerModel::sourceKind ? "source " : "destination ") + std::to_string(index));
    }
}

void commandInterpreter::registerTallies(const parsedCommand& c, interpretation& result)
{
    note(result, router_.registerRange(instance_, c.numbers[0], c.numbers[1], c.numbers[2], !c.texts.empty()));
}

void commandInterpreter::pollTallies(const parsedCommand& c, interpretation& result)
{
    note(result, router_.poll(instance_, c.numbers[0], c.numbers[1], c.numbers[2]));
}

void commandInterpreter::setTimer(const parsedCommand& c, interpretation& result)
{
    const std::int32_t id = c.numbers[0];
    if (c.numbers.size() == 1 || c.numbers[1] == 0) {
        timers_.stop(instance_, id);
    } else if (c.numbers[1] < 0) {
        note(result, "timer " + std::to_string(id) + " cannot run every " + std::to_string(c.numbers[1]) + " ms");
    } else {
        timers_.start(instance_, id, c.numbers[1]);
    }
}

void commandInterpreter::stopScript()
{
    timers_.stopAll(instance_);
    router_.clearRegistrations(instance_);
}

}  // namespace panel_host
