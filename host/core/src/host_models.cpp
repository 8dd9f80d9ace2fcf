#include "host_models.h"

namespace panel_host {

hostModels::hostModels(std::vector<routerDevice> devices) : router_(std::move(devices)) {}

std::int32_t hostModels::addInstance(std::map<std::string, panelLayout> preloaded)
{
    const std::int32_t number = instanceCount() + 1;
    instances_.push_back(std::make_unique<instanceModels>(router_, timers_, number));
    instances_.back()->interpreter.preloadLayouts(std::move(preloaded));
    return number;
}

void hostModels::removeLastInstance()
{
    if (instances_.empty()) {
        return;
    }
    router_.clearRegistrations(instanceCount());
    timers_.stopAll(instanceCount());
    instances_.pop_back();
}

commandInterpreter& hostModels::interpreter(std::int32_t instance)
{
    return instances_.at(static_cast<std::size_t>(instance - 1))->interpreter;
}

const panelModel& hostModels::panels(std::int32_t instance) const
{
    static const panelModel none;
    return instance >= 1 && instance <= instanceCount() ? instances_[static_cast<std::size_t>(instance - 1)]->panels
                                                        : none;
}

panelModel* hostModels::findPanels(std::int32_t instance)
{
    return instance >= 1 && instance <= instanceCount() ? &instances_[static_cast<std::size_t>(instance - 1)]->panels
                                                        : nullptr;
}

}  // namespace panel_host
