#pragma once

#include <string>

namespace panel_host {

// Why `name` cannot name a new panel script, or an empty text when it can.
// The name becomes the C++ class, the CMake project and target, the module
// file and the source and layout file names, so it must be a C++ identifier
// of at most 64 characters that is no keyword and no reserved identifier, no
// name of the framework, no target name CMake reserves, no device name of
// Windows, no macro the compilers or the C library predefine and no name the
// C and C++ libraries declare at global scope.
std::string scriptNameProblem(const std::string& name);

}  // namespace panel_host
