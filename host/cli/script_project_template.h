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

// The lines `new` prints and the README names are for the shell of the
// platform panel-host runs on: a POSIX shell, or on Windows the Command
// Prompt (cmd.exe), where the project builds its native DLL with the kit's
// windows-msvc preset and tests it with the kit's panel-host.exe.

// `text` as one word for that shell.
std::string shellQuoted(const std::string& text);

// The line that goes to the project's folder.
std::string changeFolderCommand(const std::string& folder);

// The line that configures, builds and tests a new project against the
// kit in `kitPrefix` ("" when unknown: a placeholder then stands for it).
std::string projectBuildCommand(const std::string& kitPrefix);

}  // namespace panel_host
