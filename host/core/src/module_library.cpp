#include "module_library.h"

#include "input_rules.h"
#include "module_image.h"

#include <filesystem>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace panel_host {

namespace {

#ifdef _WIN32
std::string lastSystemError()
{
    return "system error " + std::to_string(GetLastError());
}

void* openNative(const std::string& path)
{
    // The DLLs the module imports are looked for in its own folder first,
    // which needs the full path.
    std::error_code ignored;
    const std::string full = std::filesystem::absolute(path, ignored).string();
    return reinterpret_cast<void*>(LoadLibraryExA(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

moduleLibrary::symbolAddress findNative(void* handle, const char* name)
{
    return reinterpret_cast<moduleLibrary::symbolAddress>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void closeNative(void* handle)
{
    FreeLibrary(static_cast<HMODULE>(handle));
}
#else
std::string lastSystemError()
{
    const char* text = dlerror();
    return text != nullptr ? text : "unknown error";
}

void* openNative(const std::string& path)
{
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

moduleLibrary::symbolAddress findNative(void* handle, const char* name)
{
    dlerror();
    void* address = dlsym(handle, name);
    return reinterpret_cast<moduleLibrary::symbolAddress>(address);
}

void closeNative(void* handle)
{
    dlclose(handle);
}
#endif

}  // namespace

moduleLibrary::~moduleLibrary()
{
    close();
}

moduleLibrary::moduleLibrary(moduleLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), path_(std::move(other.path_))
{
}

moduleLibrary& moduleLibrary::operator=(moduleLibrary&& other) noexcept
{
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, nullptr);
        path_ = std::move(other.path_);
    }
    return *this;
}

bool moduleLibrary::open(const std::string& path, std::string& error)
{
    close();
    if (path.empty()) {
        error = "no module path given";
        return false;
    }
    if (const inputFile file = readInputFile(path, "module"); !file.ok) {
        error = file.error;
        return false;
    } else if (const std::string problem = moduleImageProblem(file.text); !problem.empty()) {
        error = "module " + path + ": " + problem;
        return false;
    }
    // A path is a path: a bare name is the file in the current folder, never
    // a library looked up on the system's search path.
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
    handle_ = openNative(absolute.empty() ? path : absolute.string());
    if (handle_ == nullptr) {
        error = "cannot load module " + path + ": " + lastSystemError();
        return false;
    }
    path_ = path;
    return true;
}

moduleLibrary::symbolAddress moduleLibrary::symbol(const char* name, std::string& error) const
{
    if (handle_ == nullptr) {
        error = "no module is loaded";
        return nullptr;
    }
    symbolAddress address = findNative(handle_, name);
    if (address == nullptr) {
        error = "module " + path_ + " does not export " + name;
    }
    return address;
}

void moduleLibrary::close()
{
    if (handle_ != nullptr) {
        closeNative(handle_);
        handle_ = nullptr;
        path_.clear();
    }
}

}  // namespace panel_host
