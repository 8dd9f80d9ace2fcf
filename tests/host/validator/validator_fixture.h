#pragma once

// Runs the validator on the built test modules, the way `panel-host
// validate` does, and finds results in its report.
#include "build_paths.h"
#include "validation_check.h"
#include "router_config.h"
#include "test_module_table.h"
#include "validation_runner.h"

#include <chrono>
#include <string>
#include <vector>

namespace panel_host {

inline validationSettings testSettings(const std::string& modulePath, std::chrono::milliseconds timeout)
{
    validationSettings settings;
    settings.modulePath = modulePath;
    settings.layoutFolder = buildPaths::layouts;
    settings.devices = defaultRouterDevices();
    settings.timeout = timeout;
    settings.sequences = 4;
    settings.loadCycles = 5;
    return settings;
}

inline validationReport validateWith(const validationSettings& settings, const std::vector<std::string>& include,
                                     probeRunner& runner)
{
    return runValidation(settings, selectChecks(registeredChecks(), include, {}), runner, nullptr);
}

inline const checkRecord* findRecord(const validationReport& report, const std::string& name)
{
    for (const checkRecord& record : report.records) {
        if (record.name == name) {
            return &record;
        }
    }
    return nullptr;
}

// Every result with its details, for failure messages.
inline std::string describeReport(const validationReport& report)
{
    std::string text;
    for (const checkRecord& record : report.records) {
        text +=
            std::string(resultKindName(record.result.kind)) + " " + record.name + "\n" + record.result.details + "\n";
    }
    return text;
}

}  // namespace panel_host
