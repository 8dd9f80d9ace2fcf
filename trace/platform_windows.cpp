// The tracing module's seam to Windows: KERNEL32 only.
#include "platform.h"

#include <string.h>
#include <windows.h>

#include "module_handle_windows.h"

void* openLibrary(const char* path, textBuilder& reason)
{
    // The inner module's own DLLs are looked for beside it first.
    HMODULE const library = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (library == nullptr) {
        reason.add("LoadLibrary error ").addDecimal(static_cast<uint32_t>(GetLastError()));
    }
    return library;
}

void* librarySymbol(void* library, const char* name)
{
    FARPROC const found = GetProcAddress(static_cast<HMODULE>(library), name);
    void* address = nullptr;
    memcpy(&address, &found, sizeof address);
    return address;
}

void closeLibrary(void* library)
{
    FreeLibrary(static_cast<HMODULE>(library));
}

bool ownModulePath(textBuilder& path)
{
    char buffer[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameA(tracingModuleHandle(), buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer) {
        return false;
    }
    path.add(buffer, length);
    return !path.overflowed();
}

uint32_t monotonicMilliseconds()
{
    return static_cast<uint32_t>(GetTickCount());
}

uint32_t currentThreadId()
{
    return static_cast<uint32_t>(GetCurrentThreadId());
}

uint32_t currentProcessId()
{
    return static_cast<uint32_t>(GetCurrentProcessId());
}

namespace {
SRWLOCK traceLock = SRWLOCK_INIT;
SRWLOCK startLock = SRWLOCK_INIT;
}  // namespace

void lockTrace()
{
    AcquireSRWLockExclusive(&traceLock);
}

void unlockTrace()
{
    ReleaseSRWLockExclusive(&traceLock);
}

void lockStart()
{
    AcquireSRWLockExclusive(&startLock);
}

void unlockStart()
{
    ReleaseSRWLockExclusive(&startLock);
}
