#pragma once

#include "router_model.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace panel_host {

// Everything a validation run is started with.
struct validationSettings {
    static constexpr std::uint64_t defaultSeed = 1;

    std::string modulePath;
    std::string layoutFolder;                  // also the base path the script receives
    std::vector<routerDevice> devices;         // the router the emulated host offers
    std::uint64_t seed = defaultSeed;          // first seed of the random sequences
    std::size_t events = 200;                  // events per random sequence
    std::size_t sequences = 8;                 // random sequences, seeds seed, seed + 1, ...
    std::size_t loadCycles = 20;               // load-create-destroy-unload cycles
    std::chrono::milliseconds timeout{10000};  // per check, and per probe of a supervising check
    bool inProcess = false;                    // run every check in the validator's own process
};

}  // namespace panel_host
