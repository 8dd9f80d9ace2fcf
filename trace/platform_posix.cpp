// The tracing module's seam to Linux and other POSIX systems.
#include "platform.h"

#include "trace_format.h"

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
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

bool makeFolder(const char* path)
{
    struct stat status {};
    return mkdir(path, 0755) == 0 || (stat(path, &status) == 0 && S_ISDIR(status.st_mode));
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

namespace {
// 0 until the thread first asks: gettid is a system call.
thread_local uint32_t threadIdOfThisThread;
}  // namespace

uint32_t currentThreadId()
{
    if (threadIdOfThisThread == 0u) {
        threadIdOfThisThread = static_cast<uint32_t>(gettid());
    }
    return threadIdOfThisThread;
}

uint32_t currentProcessId()
{
    return static_cast<uint32_t>(getpid());
}

hostClockFunction findHostClock()
{
    void* const found = dlsym(RTLD_DEFAULT, traceHostClockSymbol);
    hostClockFunction clock = nullptr;
    memcpy(&clock, &found, sizeof clock);
    return clock;
}

namespace {

void addErrorText(textBuilder& reason, int error)
{
    const char* const text = strerror(error);
    reason.add(text != nullptr ? text : "unknown error");
}

int descriptor(traceFileHandle file)
{
    return static_cast<int>(file.value);
}

}  // namespace

bool createTraceFile(const char* path, traceFileHandle& file, textBuilder& reason)
{
    const int fd = open(path, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        addErrorText(reason, errno);
        return false;
    }
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        reason.add("not a regular file");
        close(fd);
        return false;
    }
    file.value = fd;
    return true;
}

bool growTraceFile(traceFileHandle file, uint32_t from, uint32_t to, textBuilder& reason)
{
    const int error =
        posix_fallocate(descriptor(file), static_cast<off_t>(from), static_cast<off_t>(to) - static_cast<off_t>(from));
    if (error != 0) {
        addErrorText(reason, error);
        return false;
    }
    return true;
}

char* mapTraceWindow(traceFileHandle file, uint32_t offset, uint32_t length, textBuilder& reason)
{
    void* const window =
        mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, descriptor(file), static_cast<off_t>(offset));
    if (window == MAP_FAILED) {
        addErrorText(reason, errno);
        return nullptr;
    }
    return static_cast<char*>(window);
}

void unmapTraceWindow(char* window, uint32_t length)
{
    munmap(window, length);
}

void closeTraceFile(traceFileHandle file, uint32_t length)
{
    // Every byte is the file's already: a failure here loses nothing but
    // the cut of the allocated rest, which a reader skips.
    (void)ftruncate(descriptor(file), static_cast<off_t>(length));
    close(descriptor(file));
}

void abandonTraceFile(traceFileHandle file)
{
    close(descriptor(file));
}

uint32_t traceMappingGranularity()
{
    const long page = sysconf(_SC_PAGESIZE);
    return page > 0 ? static_cast<uint32_t>(page) : 4096u;
}

namespace {
pthread_mutex_t traceLock = PTHREAD_MUTEX_INITIALIZER;
pthread_mutex_t startLock = PTHREAD_MUTEX_INITIALIZER;
void (*childAfterFork)();

void lockBeforeFork()
{
    pthread_mutex_lock(&traceLock);
}

void unlockInParent()
{
    pthread_mutex_unlock(&traceLock);
}

void unlockInChild()
{
    // The child's only thread holds the copy of the lock it took.
    pthread_mutex_unlock(&traceLock);
    if (childAfterFork != nullptr) {
        childAfterFork();
    }
}
}  // namespace

void watchForks(void (*child)())
{
    if (childAfterFork == nullptr) {
        pthread_atfork(lockBeforeFork, unlockInParent, unlockInChild);
    }
    childAfterFork = child;
}

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
