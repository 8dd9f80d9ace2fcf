#include "script_project_template.h"

#include "starter_template_texts.h"

#include <filesystem>

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

#if defined(_WIN32)

// A Windows path holds no double quote, so one pair quotes any of them.
std::string shellQuoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string changeFolderCommand(const std::string& folder)
{
    return "cd /d " + shellQuoted(folder);
}

// CMake reads the prefix best with forward slashes.
std::string kitArgument(const std::string& kitPrefix)
{
    return shellQuoted(std::filesystem::path(kitPrefix).generic_string());
}

constexpr const char* starterPreset = "windows-msvc";
const char* const starterReadmeText = starterReadmeWindows;

#else

std::string shellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string changeFolderCommand(const std::string& folder)
{
    return "cd " + shellQuoted(folder);
}

std::string kitArgument(const std::string& kitPrefix)
{
    return shellQuoted(kitPrefix);
}

constexpr const char* starterPreset = "dev";
const char* const starterReadmeText = starterReadme;

#endif

std::string projectBuildCommand(const std::string& kitPrefix)
{
    const std::string preset = starterPreset;
    const std::string prefixArgument =
        " -DCMAKE_PREFIX_PATH=" + (kitPrefix.empty() ? std::string("<the kit's folder>") : kitArgument(kitPrefix));
    return "cmake --preset " + preset + prefixArgument + " && cmake --build --preset " + preset +
           " && ctest --preset " + preset;
}

std::vector<projectFile> scriptProjectFiles(const std::string& name, const std::string& kitPrefix)
{
    const std::vector<std::pair<std::string, const char*>> files = {
        {"CMakeLists.txt", starterCMakeLists},
        {"CMakePresets.json", starterCMakePresets},
        {"README.md", starterReadmeText},
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
