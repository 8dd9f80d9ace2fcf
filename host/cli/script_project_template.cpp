#include "script_project_template.h"

#include "starter_template_texts.h"

namespace panel_host {

namespace {

// Every `placeholder` in `text` becomes `value`.
std::string withPlaceholder(std::string text, const std::string& placeholder, const std::string& value)
{
    for (std::size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + value.size())) {
        text.replace(at, placeholder.size(), value);
    }
    return text;
}

}  // namespace

std::string shellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string projectBuildCommand(const std::string& kitPrefix)
{
    const std::string prefixArgument =
        " -DCMAKE_PREFIX_PATH=" + (kitPrefix.empty() ? std::string("<the kit's folder>") : shellQuoted(kitPrefix));
    return "cmake --preset dev" + prefixArgument + " && cmake --build --preset dev && ctest --preset dev";
}

std::vector<projectFile> scriptProjectFiles(const std::string& name, const std::string& kitPrefix)
{
    const std::vector<std::pair<std::string, const char*>> files = {
        {"CMakeLists.txt", starterCMakeLists},
        {"CMakePresets.json", starterCMakePresets},
        {"README.md", starterReadme},
        {".gitignore", starterGitignore},
        {"src/@NAME@.h", starterScriptHeader},
        {"src/@NAME@.cpp", starterScriptSource},
        {"src/module_entry.cpp", starterModuleEntry},
        {"layouts/@NAME@.morv_ui", starterLayout},
        {"scenarios/startup.scenario", starterScenario},
    };
    const std::string kit = kitPrefix.empty() ? std::string("<the kit's folder>") : shellQuoted(kitPrefix);
    std::vector<projectFile> out;
    for (const auto& [path, text] : files) {
        std::string filled =
            withPlaceholder(withPlaceholder(text, "@BUILD@", projectBuildCommand(kitPrefix)), "@KIT@", kit);
        out.push_back({withPlaceholder(path, "@NAME@", name), withPlaceholder(filled, "@NAME@", name)});
    }
    return out;
}

}  // namespace panel_host
