#pragma once

#include "panel_model.h"
#include "router_model.h"

#include <cstdint>
#include <string>
#include <vector>

namespace panel_host {

// What events are made of: the panels, controls and router devices a module
// can meet. Built before any module is loaded, so that an event sequence
// depends only on its seed and on these inputs.
struct eventVocabulary {
    struct control {
        std::string name;
        controlKind kind = controlKind::button;
    };
    struct device {
        std::int32_t number = 0;
        std::int32_t sources = 0;
        std::int32_t destinations = 0;
    };

    std::vector<std::string> panels;  // the first one is the panel scripts show ("1")
    std::vector<control> controls;    // every control of every layout, then one no layout has
    std::vector<device> devices;

    std::vector<std::string> controlsOfKind(controlKind kind) const;
};

// The controls of every layout file in `layoutFolder` (files that are not
// layouts are passed over; files in name order) and the router's devices.
eventVocabulary buildVocabulary(const std::string& layoutFolder, const std::vector<routerDevice>& devices);

}  // namespace panel_host
