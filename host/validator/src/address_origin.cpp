#include "address_origin.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace panel_host {

std::optional<std::string> imageHolding(const void* address)
{
    if (address == nullptr) {
        return std::nullopt;
    }
#if defined(_WIN32)
    HMODULE module = nullptr;
    const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    if (!GetModuleHandleExA(flags, static_cast<LPCSTR>(address), &module)) {
        return std::nullopt;
    }
    char path[MAX_PATH] = {};
    GetModuleFileNameA(module, path, MAX_PATH);
    return std::string(path);
#else
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) {
        return std::nullopt;
    }
    return std::string(info.dli_fname);
#endif
}

}  // namespace panel_host
