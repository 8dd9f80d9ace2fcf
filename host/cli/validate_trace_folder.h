#pragma once

#include <cstddef>
#include <string>

namespace panel_host {

// The folder the traces of one validate run go to, when the module under
// test is the tracing module (or wraps one): each check runs in a process
// of its own, each process that loads the tracing module writes a trace,
// and they land here instead of beside the module, one run's apart from
// another's. While it lives, the environment variable the tracing module
// reads (trace_format.h, traceFolderVariable) names it; the tracing module
// makes it, so a module that is none leaves no folder behind.
class validateTraceFolder {
public:
    // A fresh folder beside `modulePath`: <module stem>-validate-<process id>.
    explicit validateTraceFolder(const std::string& modulePath);
    ~validateTraceFolder();
    validateTraceFolder(const validateTraceFolder&) = delete;
    validateTraceFolder& operator=(const validateTraceFolder&) = delete;

    const std::string& path() const { return path_; }
    // The traces in it so far.
    std::size_t traces() const;

private:
    std::string path_;
};

}  // namespace panel_host
