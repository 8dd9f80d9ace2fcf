// The tracing module's seam to Windows: KERNEL32 only.
#include "platform.h"

#include <string.h>
#include <windows.h>

#include "module_handle_windows.h"
#include "trace_format.h"

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

bool makeFolder(const char* path)
{
    if (CreateDirectoryA(path, nullptr) != 0) {
        return true;
    }
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
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

hostClockFunction findHostClock()
{
    HMODULE const program = GetModuleHandleA(nullptr);
    FARPROC const found = program != nullptr ? GetProcAddress(program, traceHostClockSymbol) : nullptr;
    hostClockFunction clock = nullptr;
    memcpy(&clock, &found, sizeof clock);
    return clock;
}

namespace {

void addErrorCode(textBuilder& reason, const char* what)
{
    const DWORD error = GetLastError();
    reason.add(error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? "No space left on device" : what)
        .add(" (error ")
        .addDecimal(static_cast<uint32_t>(error))
        .add(")");
}

HANDLE handleOf(traceFileHandle file)
{
    HANDLE handle = nullptr;
    memcpy(&handle, &file.value, sizeof handle);
    return handle;
}

bool setFileLength(HANDLE file, uint32_t length)
{
    LARGE_INTEGER position;
    position.QuadPart = length;
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != 0 && SetEndOfFile(file) != 0;
}

}  // namespace

bool createTraceFile(const char* path, traceFileHandle& file, textBuilder& reason)
{
    // Others may read the trace while it is written, as with any log.
    HANDLE const handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        addErrorCode(reason, "CreateFile failed");
        return false;
    }
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        reason.add("not a regular file");
        CloseHandle(handle);
        return false;
    }
    memcpy(&file.value, &handle, sizeof handle);
    return true;
}

bool growTraceFile(traceFileHandle file, uint32_t /*from*/, uint32_t to, textBuilder& reason)
{
    // Extending a file (not a sparse one) allocates its clusters.
    if (!setFileLength(handleOf(file), to)) {
        addErrorCode(reason, "cannot extend the file");
        return false;
    }
    return true;
}

char* mapTraceWindow(traceFileHandle file, uint32_t offset, uint32_t length, textBuilder& reason)
{
    // The view keeps the mapping object alive once its handle is closed.
    HANDLE const mapping = CreateFileMappingA(handleOf(file), nullptr, PAGE_READWRITE, 0, 0, nullptr);
    if (mapping == nullptr) {
        addErrorCode(reason, "CreateFileMapping failed");
        return nullptr;
    }
    void* const window = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, offset, length);
    if (window == nullptr) {
        addErrorCode(reason, "MapViewOfFile failed");
    }
    CloseHandle(mapping);
    return static_cast<char*>(window);
}

void unmapTraceWindow(char* window, uint32_t /*length*/)
{
    UnmapViewOfFile(window);
}

void closeTraceFile(traceFileHandle file, uint32_t length)
{
    // Every byte is the file's already: a failure here loses nothing but
    // the cut of the allocated rest, which a reader skips.
    (void)setFileLength(handleOf(file), length);
    CloseHandle(handleOf(file));
}

void abandonTraceFile(traceFileHandle file)
{
    CloseHandle(handleOf(file));
}

uint32_t traceMappingGranularity()
{
    // Views start on multiples of the allocation granularity, 64 KB on
    // every Windows.
    return 65536u;
}

void watchForks(void (* /*child*/)()) {}

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
