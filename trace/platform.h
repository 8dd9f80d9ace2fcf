#pragma once

#include "text_builder.h"

#include <stddef.h>
#include <stdint.h>

// What the tracing module needs of the operating system, one small seam
// each (platform_posix.cpp: dlopen, dladdr, clock_gettime, gettid, mmap;
// platform_windows.cpp: the KERNEL32 calls). The settings file is read with
// the C library's stdio, the same on both; the trace is written through a
// mapping of its file.

// Loads a module by path; null when it cannot, with the reason added to
// `reason`.
void* openLibrary(const char* path, textBuilder& reason);
// The address of an exported function, or null.
void* librarySymbol(void* library, const char* name);
void closeLibrary(void* library);

// Makes the folder at `path` (its parent must be there); true when it is
// there now.
bool makeFolder(const char* path);

// The path of the tracing module's own file; false when it does not fit.
bool ownModulePath(textBuilder& path);

// Milliseconds of a monotonic clock (wraps after 49 days; differences stay
// right).
uint32_t monotonicMilliseconds();
// Of the calling thread; cheap (no system call once a thread has asked).
uint32_t currentThreadId();
uint32_t currentProcessId();

// The host program's clock (trace_format.h, traceHostClockSymbol), or null
// when the program exports none.
using hostClockFunction = long long (*)();
hostClockFunction findHostClock();

// The trace file, written through a window of memory mapped onto it: a byte
// copied there belongs to the file at once, and the system keeps it when
// the process ends in any way. Handles are the platform's (a descriptor, a
// HANDLE); every call is made under the trace's lock.
struct traceFileHandle {
    intptr_t value;
};
// Creates (or replaces) the regular file at `path`, empty; false with the
// reason added.
bool createTraceFile(const char* path, traceFileHandle& file, textBuilder& reason);
// Makes the file `to` bytes long, every byte of it allocated on the disk
// (so that no write into the mapping can fail later); `from` is its length
// now. False with the reason (a full disk) when the disk has no room.
bool growTraceFile(traceFileHandle file, uint32_t from, uint32_t to, textBuilder& reason);
// Maps `length` bytes of the file from `offset`, a multiple of
// traceMappingGranularity(), for writing; null with the reason added.
char* mapTraceWindow(traceFileHandle file, uint32_t offset, uint32_t length, textBuilder& reason);
void unmapTraceWindow(char* window, uint32_t length);
// Cuts the file to `length` bytes and closes it.
void closeTraceFile(traceFileHandle file, uint32_t length);
// Closes the file as it is, for a process that only inherited it (a child
// made by fork: the trace stays its parent's).
void abandonTraceFile(traceFileHandle file);
uint32_t traceMappingGranularity();

// After a fork, `child` runs in the child process (alone, the lock released
// for it); the trace's lock is held across the fork. Nothing where processes
// do not fork.
void watchForks(void (*child)());

// The one lock of the trace: every line is formatted and written under it.
// Not recursive.
void lockTrace();
void unlockTrace();

// The lock of the module's start (settings, trace file, inner module).
void lockStart();
void unlockStart();

// The separator the platform writes between a folder and a file name.
#if defined(_WIN32)
constexpr char pathSeparator = '\\';
#else
constexpr char pathSeparator = '/';
#endif
