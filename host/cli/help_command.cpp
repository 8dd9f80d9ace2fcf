#include "help_command.h"

#include "cli_support.h"
#include "kit_manual_texts.h"

#include <iostream>
#include <memory>
#include <string>

namespace panel_host {

namespace {

struct manualTopic {
    const char* name;
    const char* summary;
    const char* text;
};

const manualTopic topics[] = {
    {"formats", "the transcript, scenario, trace, layout and router formats and what the host answers",
     formatsManualText},
    {"script", "write your first panel script with the kit", firstScriptManualText},
    {"upgrade", "upgrading a 1.x script to kit 2.0: includes, the export, freestanding code", upgradeManualText},
};

int printTopic(const std::string& name)
{
    for (const manualTopic& topic : topics) {
        if (name == topic.name) {
            std::cout << topic.text;
            return 0;
        }
    }
    if (!name.empty()) {
        return reportError("help: no topic '" + name + "'; the topics are formats, script and upgrade");
    }
    for (const manualTopic& topic : topics) {
        std::cout << "panel-host help " << topic.name << "\n    " << topic.summary << "\n";
    }
    return 0;
}

}  // namespace

void registerHelpCommand(CLI::App& app, int& exitCode)
{
    auto topic = std::make_shared<std::string>();
    CLI::App* command = app.add_subcommand("help", "print a manual: formats, script, upgrade");
    command->add_option("TOPIC", *topic, "formats, script or upgrade; without it, the list of topics");
    command->callback([topic, &exitCode] { exitCode = printTopic(*topic); });
}

}  // namespace panel_host
