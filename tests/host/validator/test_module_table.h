#pragma once

#include <map>
#include <string>

// The built test modules (modules/) by name, from the generated
// test_module_paths.cpp.
const std::map<std::string, std::string>& testModulePaths();
