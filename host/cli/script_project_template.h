#pragma once

#include <string>
#include <vector>

// The files of a new panel script project, as `panel-host new` writes them:
// a script class derived from morv_script_helper with every handler stubbed,
// the export in its own file, CMakeLists.txt and CMakePresets.json that build
// against the installed kit, a starter layout, one scenario and a README.
struct projectFile {
    std::string path;  // relative to the project folder, '/'-separated
    std::string text;
};

// `name` must be a valid script name (see scriptNameProblem).
std::vector<projectFile> scriptProjectFiles(const std::string& name);

// Why `name` cannot name a script (a C++ identifier that is no keyword, no
// reserved identifier and no name of the framework, at most 64 characters),
// or an empty text when it can.
std::string scriptNameProblem(const std::string& name);
