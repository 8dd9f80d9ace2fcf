// The platform seam of module loading in tests.
#include "module_loader.h"

#if defined(_WIN32)
#include <windows.h>

moduleLoader::moduleLoader(const std::string& file)
{
    handle_ = reinterpret_cast<void*>(LoadLibraryA(file.c_str()));
    if (handle_ == nullptr) {
        error_ = "LoadLibrary failed with error " + std::to_string(GetLastError());
    }
}

moduleLoader::~moduleLoader()
{
    if (handle_ != nullptr) {
        FreeLibrary(reinterpret_cast<HMODULE>(handle_));
    }
}

void* moduleLoader::symbol(const char* name)
{
    if (handle_ == nullptr) {
        return nullptr;
    }
    FARPROC address = GetProcAddress(reinterpret_cast<HMODULE>(handle_), name);
    error_ = address == nullptr ? "GetProcAddress failed for " + std::string(name) : std::string();
    return reinterpret_cast<void*>(address);
}

#else
#include <dlfcn.h>

moduleLoader::moduleLoader(const std::string& file)
{
    // RTLD_LOCAL: the module's symbols stay its own, as in a host.
    handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* reason = dlerror();
        error_ = reason != nullptr ? reason : "dlopen failed";
    }
}

moduleLoader::~moduleLoader()
{
    if (handle_ != nullptr) {
        dlclose(handle_);
    }
}

void* moduleLoader::symbol(const char* name)
{
    if (handle_ == nullptr) {
        return nullptr;
    }
    dlerror();
    void* address = dlsym(handle_, name);
    const char* reason = dlerror();
    error_ = reason != nullptr ? reason : "";
    return address;
}
#endif
