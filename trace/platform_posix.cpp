// The tracing module's seam to Linux and other POSIX systems.
#include "platform.h"

#include <dlfcn.h>
#include <pthread.h>
#include <time.h>
#include <unistd.h>

void* openLibrary(const char* path, textBuilder& reason)
{
    void* const library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* const error = dlerror();
        reason.add(error != nullptr ? error : "dlopen failed");
    }
    return library;
}

void* librarySymbol(void* library, const char* name)
{
    return dlsym(library, name);
}

void closeLibrary(void* library)
{
    dlclose(library);
}

bool ownModulePath(textBuilder& path)
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ownModulePath), &info) == 0 || info.dli_fname == nullptr) {
        return false;
    }
    path.add(info.dli_fname);
    return !path.overflowed();
}

uint32_t monotonicMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(now.tv_sec) * 1000u + static_cast<uint32_t>(now.tv_nsec / 1000000);
}

uint32_t currentThreadId()
{
    return static_cast<uint32_t>(gettid());
}

uint32_t currentProcessId()
{
    return static_cast<uint32_t>(getpid());
}

namespace {
pthread_mutex_t traceLock = PTHREAD_MUTEX_INITIALIZER;
pthread_mutex_t startLock = PTHREAD_MUTEX_INITIALIZER;
}  // namespace

void lockTrace()
{
    pthread_mutex_lock(&traceLock);
}

void unlockTrace()
{
    pthread_mutex_unlock(&traceLock);
}

void lockStart()
{
    pthread_mutex_lock(&startLock);
}

void unlockStart()
{
    pthread_mutex_unlock(&startLock);
}
