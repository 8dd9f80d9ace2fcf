#include "script_project_template.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace {

// Every "@NAME@" in `text` becomes `name`.
std::string withName(std::string text, const std::string& name)
{
    const std::string placeholder = "@NAME@";
    for (std::size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + name.size())) {
        text.replace(at, placeholder.size(), name);
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
find_package(morv_script_framework 1 CONFIG REQUIRED)

# The module: one export, load_morv_client_script (src/module_entry.cpp).
morv_add_panel_script(@NAME@ SOURCES src/@NAME@.cpp src/module_entry.cpp)

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

#include "morv_script_helper.h"

#include <stdint.h>

// The @NAME@ panel script. The host creates one object for each panel it
// opens and calls the handlers below one at a time on its own thread.
class @NAME@ final : public morv_script_helper {
public:
    // Shows the panel's layout. host may be null: every command is then a
    // no-op. path is the folder of the layout files.
    @NAME@(script_host* host, const char* path);

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

@NAME@::@NAME@(script_host* host, const char* path) : morv_script_helper(host, path)
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

#include "script_boundary.h"

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

A panel script built with the morv script framework kit.

```sh
cmake --preset dev && cmake --build --preset dev && ctest --preset dev
panel-host --module build/dev/lib@NAME@.so --layouts layouts   # try it by hand
cmake --preset windows-msvc && cmake --build --preset windows-msvc       # build/windows-msvc/@NAME@.dll
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
)";

const char* const gitignore = "build/\n";

bool isIdentifierStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_';
}

bool isIdentifierPart(char c)
{
    return isIdentifierStart(c) || std::isdigit(static_cast<unsigned char>(c)) != 0;
}

bool isCppKeyword(const std::string& name)
{
    static const char* const keywords[] = {
        "alignas", "alignof", "and", "and_eq", "asm", "auto", "bitand", "bitor", "bool", "break", "case",
        "catch", "char", "char8_t", "char16_t", "char32_t", "class", "compl", "concept", "const", "consteval",
        "constexpr", "constinit", "const_cast", "continue", "co_await", "co_return", "co_yield", "decltype",
        "default", "delete", "do", "double", "dynamic_cast", "else", "enum", "explicit", "export", "extern",
        "false", "float", "for", "friend", "goto", "if", "inline", "int", "long", "mutable", "namespace",
        "new", "noexcept", "not", "not_eq", "nullptr", "operator", "or", "or_eq", "private", "protected",
        "public", "register", "reinterpret_cast", "requires", "return", "short", "signed", "sizeof",
        "static", "static_assert", "static_cast", "struct", "switch", "template", "this", "thread_local",
        "throw", "true", "try", "typedef", "typeid", "typename", "union", "unsigned", "using", "virtual",
        "void", "volatile", "wchar_t", "while", "xor", "xor_eq"};
    return std::any_of(std::begin(keywords), std::end(keywords), [&](const char* k) { return name == k; });
}

// Names the framework and the export already use.
bool isFrameworkName(const std::string& name)
{
    static const char* const taken[] = {
        "morv_script_helper", "morv_client_callback", "script_host", "morv_string", "morv_stringlist",
        "morv_stringlistIterator", "buttonNotify", "tallyNotify", "queryNotify", "opaqueNotify",
        "parsedMessage", "decodeMORVString", "load_morv_client_script", "main"};
    return std::any_of(std::begin(taken), std::end(taken), [&](const char* t) { return name == t; });
}

}  // namespace

std::string scriptNameProblem(const std::string& name)
{
    if (name.empty()) {
        return "the name is empty";
    }
    if (name.size() > 64) {
        return "the name is longer than 64 characters";
    }
    if (!isIdentifierStart(name.front()) || !std::all_of(name.begin(), name.end(), isIdentifierPart)) {
        return "'" + name + "' is not a C++ identifier (letters, digits and '_', not starting with a digit)";
    }
    if (isCppKeyword(name)) {
        return "'" + name + "' is a C++ keyword";
    }
    if ((name.size() > 1 && name[0] == '_' && std::isupper(static_cast<unsigned char>(name[1])) != 0) ||
        name.find("__") != std::string::npos) {
        return "'" + name + "' is reserved for the compiler (a leading '_' and capital, or '__')";
    }
    if (isFrameworkName(name)) {
        return "'" + name + "' is already a name of the framework";
    }
    return "";
}

std::vector<projectFile> scriptProjectFiles(const std::string& name)
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
    std::vector<projectFile> out;
    for (const auto& [path, text] : files) {
        out.push_back({withName(path, name), withName(text, name)});
    }
    return out;
}
