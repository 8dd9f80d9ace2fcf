#pragma once

#include <string>

namespace panel_host {

// Checks, before the system loader maps a module, that its bytes are a whole
// shared object for this machine, so that a truncated or foreign file is a
// clear error instead of a crash inside the loader. Pure byte checks that
// never read outside `image`.

// An ELF shared object of this process's class, byte order and machine,
// whose program headers, segments and section headers lie within the file:
// "" when it is, else why not.
std::string elfImageProblem(const std::string& image);
// A PE DLL of this process's machine whose section data lies within the file.
std::string peImageProblem(const std::string& image);

// The check for this platform's module format (ELF on Linux and the other
// ELF systems, PE on Windows, none elsewhere).
std::string moduleImageProblem(const std::string& image);

}  // namespace panel_host
