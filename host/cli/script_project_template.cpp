#include "script_project_template.h"


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

const char* const cmakeLists = R"(cmake_minimum_required(VERSION 3.25)

# The windows-msvc preset builds the DLL to deploy with the kit's toolchain
# (clang and lld-link for the Microsoft C++ ABI), found beside its package.
if(MORV_WINDOWS_NATIVE AND NOT CMAKE_TOOLCHAIN_FILE)
  string(REPLACE ":" ";" morv_prefixes "$ENV{CMAKE_PREFIX_PATH}")
  find_file(MORV_WINDOWS_TOOLCHAIN windows-msvc.cmake
    PATHS ${CMAKE_PREFIX_PATH} ${morv_prefixes} /usr/local /usr
    PATH_SUFFIXES lib/cmake/morv_script_framework/toolchains NO_DEFAULT_PATH REQUIRED)
  set(CMAKE_TOOLCHAIN_FILE ${MORV_WINDOWS_TOOLCHAIN})
endif()
project(@NAME@ LANGUAGES CXX)

# The kit: morv::framework, morv::panel-host and morv_add_panel_script().
find_package(morv_script_framework 1 CONFIG REQUIRED COMPONENTS framework host)

# The module: one export, load_morv_client_script (src/module_entry.cpp).
morv_add_panel_script(@NAME@ SOURCES src/@NAME@.cpp src/module_entry.cpp)

# Installed into lib/morv_panel_scripts/ of a prefix, the module finds the
# kit's libmorv_string.so.1 one folder up when the kit is in the same prefix,
# and `panel-host validate` finds its layouts/ beside it.
include(GNUInstallDirs)
install(TARGETS @NAME@ LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/morv_panel_scripts)
install(DIRECTORY layouts/ DESTINATION ${CMAKE_INSTALL_LIBDIR}/morv_panel_scripts/layouts)

include(CTest)
if(BUILD_TESTING)
  # Every scenario under scenarios/ is played by panel-host with this module
  # and the layouts of layouts/; an unmet expectation fails the test.
  file(GLOB scenarios CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/scenarios/*.scenario)
  foreach(scenario ${scenarios})
    get_filename_component(scenario_name ${scenario} NAME_WE)
    add_test(NAME scenario.${scenario_name}
      COMMAND morv::panel-host play --check
        --module $<TARGET_FILE:@NAME@>
        --layouts ${CMAKE_CURRENT_SOURCE_DIR}/layouts
        ${scenario})
  endforeach()
  # The validator's contract checks of the host boundary.
  add_test(NAME validate
    COMMAND morv::panel-host validate $<TARGET_FILE:@NAME@>
      --layouts ${CMAKE_CURRENT_SOURCE_DIR}/layouts)
endif()
)";

const char* const cmakePresets = R"({
  "version": 6,
  "cmakeMinimumRequired": { "major": 3, "minor": 25, "patch": 0 },
  "configurePresets": [
    {
      "name": "dev",
      "displayName": "Debug build with tests",
      "binaryDir": "${sourceDir}/build/${presetName}",
      "cacheVariables": { "CMAKE_BUILD_TYPE": "Debug", "BUILD_TESTING": "ON" }
    },
    {
      "name": "release",
      "displayName": "Optimised build without tests",
      "binaryDir": "${sourceDir}/build/${presetName}",
      "cacheVariables": { "CMAKE_BUILD_TYPE": "Release", "BUILD_TESTING": "OFF" }
    },
    {
      "name": "windows-msvc",
      "displayName": "The DLL to deploy: 32-bit Windows, native Microsoft C++ ABI",
      "binaryDir": "${sourceDir}/build/${presetName}",
      "cacheVariables": { "CMAKE_BUILD_TYPE": "MinSizeRel", "BUILD_TESTING": "OFF", "MORV_WINDOWS_NATIVE": "ON" }
    }
  ],
  "buildPresets": [
    { "name": "dev", "configurePreset": "dev" },
    { "name": "release", "configurePreset": "release" },
    { "name": "windows-msvc", "configurePreset": "windows-msvc" }
  ],
  "testPresets": [
    { "name": "dev", "configurePreset": "dev", "output": { "outputOnFailure": true } }
  ]
}
)";

const char* const scriptHeader = R"(#pragma once

#include <morv/morv_script_helper.h>

#include <stdint.h>

// The @NAME@ panel script. The host creates one object for each panel it
// opens and calls the handlers below one at a time on its own thread.
class @NAME@ final : public morv_script_helper {
public:
    // Shows the panel's layout. hostObject may be null: every command is
    // then a no-op. layoutFolder is the folder of the layout files.
    @NAME@(script_host* hostObject, const char* layoutFolder);

    // A button press or list choice (button.panel(), button.control(),
    // button.eventValue()).
    void onButton(const buttonNotify& button) override;
    // A router tally; the result is ignored.
    int32_t onTally(const tallyNotify& tally) override;
    // A query from the host; an empty result means no reply.
    morv_string onQuery(const queryNotify& query) override;
    // A tick of a timer started with timerStart().
    void onTimer(int32_t timerId) override;
};
)";

const char* const scriptSource = R"(#include "@NAME@.h"

namespace {

// The panel this script drives, and the layout it shows there.
constexpr const char* panelNumber = "1";
constexpr const char* layoutFile = "@NAME@.morv_ui";

}  // namespace

@NAME@::@NAME@(script_host* hostObject, const char* layoutFolder)
    : morv_script_helper(hostObject, layoutFolder)
{
    panelShow(panelNumber, layoutFile, "");
}

void @NAME@::onButton(const buttonNotify& /*button*/)
{
    // Answer the operator here, e.g. textPut("text", "Hello", panelNumber, "Status").
}

int32_t @NAME@::onTally(const tallyNotify& /*tally*/)
{
    return 0;
}

morv_string @NAME@::onQuery(const queryNotify& /*query*/)
{
    return morv_string();
}

void @NAME@::onTimer(int32_t /*timerId*/)
{
}
)";

const char* const moduleEntry = R"(// The module's only export: creates one @NAME@ script for the host.
#include "@NAME@.h"

#include <morv/script_boundary.h>

morv_client_callback* MORV_ENTRY_CALL load_morv_client_script(script_host* host, const char* path)
{
    // Null when memory ran out, for the script or during its start-up.
    return morv_script_helper::startedOrNull(new @NAME@(host, path));
}
)";

const char* const starterLayout = R"({
  "title": "@NAME@",
  "stateSheets": [],
  "controls": [
    { "name": "Status", "kind": "label", "properties": { "text": "-" } },
    { "name": "Hello", "kind": "button", "properties": { "caption": "Hello" } }
  ]
}
)";

const char* const startupScenario = R"(# @NAME@ starts by showing its layout on panel 1.
expect PS '1' '${layouts}/@NAME@.morv_ui'
expect nothing

# The stubbed handlers answer nothing yet.
press Hello
expect nothing

# Unloading sends the framework's last command.
unload
expect AS
expect nothing
)";

const char* const readme = R"(# @NAME@

A panel script built with the morv script framework kit (installed in
@KIT@).

```sh
@BUILD@
@KIT@/bin/panel-host --module build/dev/lib@NAME@.so --layouts layouts   # try it by hand
cmake --install build/dev --prefix @KIT@   # lib/morv_panel_scripts/lib@NAME@.so
cmake --preset windows-msvc -DCMAKE_PREFIX_PATH=@KIT@ && cmake --build --preset windows-msvc   # the DLL to deploy
```

`build/windows-msvc/@NAME@.dll` is the DLL to deploy into the panel host:
32-bit, native to the Microsoft C++ ABI, importing only KERNEL32.dll and
msvcrt.dll (needs Debian's clang, lld, llvm and mingw-w64-i686-dev). Keep the
script freestanding: C headers only, no C++ standard library, no exceptions.

- `src/@NAME@.cpp`: the script; send commands only through the operations
  of `morv_script_helper` (`panelShow`, `textPut`, `controlEnable`, ...).
- `src/module_entry.cpp`: the module's only export.
- `layouts/@NAME@.morv_ui`: the panel as panel-host shows it.
- `scenarios/`: each `.scenario` is played by `panel-host play --check`
  under CTest; `panel-host validate` checks the host boundary.

The installed module finds the kit's `libmorv_string.so.1` one folder up
(its run path is `$ORIGIN` and `$ORIGIN/..`), so install it into the kit's
prefix as above, or put the string library beside it. The scenario, layout
and router formats: `@KIT@/bin/panel-host help formats`, `man -M
@KIT@/share/man panel-host` and the kit's
`share/doc/morv-script-framework/`.
)";

const char* const gitignore = "build/\n";

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
        {"CMakeLists.txt", cmakeLists},
        {"CMakePresets.json", cmakePresets},
        {"README.md", readme},
        {".gitignore", gitignore},
        {"src/@NAME@.h", scriptHeader},
        {"src/@NAME@.cpp", scriptSource},
        {"src/module_entry.cpp", moduleEntry},
        {"layouts/@NAME@.morv_ui", starterLayout},
        {"scenarios/startup.scenario", startupScenario},
    };
    const std::string kit = kitPrefix.empty() ? std::string("<the kit's folder>") : shellQuoted(kitPrefix);
    std::vector<projectFile> out;
    for (const auto& [path, text] : files) {
        std::string filled = withPlaceholder(withPlaceholder(text, "@BUILD@", projectBuildCommand(kitPrefix)), "@KIT@", kit);
        out.push_back({withPlaceholder(path, "@NAME@", name), withPlaceholder(filled, "@NAME@", name)});
    }
    return out;
}
