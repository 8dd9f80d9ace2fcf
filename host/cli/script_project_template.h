#pragma once

#include <string>
#include <vector>

namespace panel_host {

// The files of a new panel script project, as `panel-host new` writes them:
// a script class derived from morv_script_helper with every handler stubbed,
// the export in its own file, CMakeLists.txt and CMakePresets.json that build
// against the installed kit, a starter layout, one scenario and a README.
struct projectFile {
    std::string path;  // relative to the project folder, '/'-separated
    std::string text;
};

// `name` must be a valid script name (see scriptNameProblem). `kitPrefix` is
// the folder the kit is installed in, "" when unknown; the README's commands
// name it.
std::vector<projectFile> scriptProjectFiles(const std::string& name, const std::string& kitPrefix);

// `text` as one word for a POSIX shell.
std::string shellQuoted(const std::string& text);

// The shell line that configures, builds and tests a new project against the
// kit in `kitPrefix` ("" when unknown: a placeholder then stands for it).
std::string projectBuildCommand(const std::string& kitPrefix);

}  // namespace panel_host
