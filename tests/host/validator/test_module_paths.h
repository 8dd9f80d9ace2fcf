#pragma once

#include <map>
#include <string>

// The built test modules (modules/) by name; generated with their paths.
const std::map<std::string, std::string>& testModulePaths();
