#include "validate_trace_folder.h"

#include "trace_format.h"

#include <cstdlib>
#include <filesystem>

#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif

namespace panel_host {

namespace fs = std::filesystem;

namespace {

int processId()
{
#if defined(_WIN32)
    return _getpid();
#else
    return ::getpid();
#endif
}

// An empty value unsets it.
void setEnvironment(const char* name, const std::string& value)
{
#if defined(_WIN32)
    _putenv_s(name, value.c_str());
#else
    if (value.empty()) {
        ::unsetenv(name);
    } else {
        ::setenv(name, value.c_str(), 1);
    }
#endif
}

}  // namespace

validateTraceFolder::validateTraceFolder(const std::string& modulePath)
{
    std::error_code error;
    const fs::path module = fs::absolute(modulePath, error);
    path_ = (module.parent_path() / (module.stem().string() + "-validate-" + std::to_string(processId()))).string();
    setEnvironment(traceFolderVariable, path_);
}

validateTraceFolder::~validateTraceFolder()
{
    setEnvironment(traceFolderVariable, {});
}

std::size_t validateTraceFolder::traces() const
{
    std::size_t count = 0;
    std::error_code error;
    for (fs::directory_iterator it(path_, error), end; !error && it != end; it.increment(error)) {
        if (it->path().extension() == ".trace") {
            ++count;
        }
    }
    return count;
}

}  // namespace panel_host
