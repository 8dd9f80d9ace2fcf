// The child-process seam on Windows. There is no fork: a child is this
// program started afresh (CreateProcess) with the same command line, told
// in the environment the name of its task and the two pipe handles of its
// channel, the only handles besides the standard ones it inherits. The new
// process runs as panel-host does until its code claims the task
// (runStartedTask). Every child is put in one job object that kills its
// processes when the last handle to it closes, which happens when
// panel-host.exe ends, however it ends.
#include "child_process.h"

#include "spin_lock.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <vector>

namespace panel_host {

struct childProcess::process {
    spinLock childLock;  // guards handle between kill() and wait()
    HANDLE handle = nullptr;
    bool killed = false;
    int toChild = -1;
    int fromChild = -1;
    spinLock sending;
};

namespace {

// The longest line a child may send (serve's state of a large router).
constexpr std::size_t maxMessageBytes = 64 * 1024 * 1024;
// The environment variable that tells a child its task and channel:
// "TASK|INPUT|OUTPUT", the handles in decimal.
constexpr const char* taskVariable = "PANEL_HOST_CHILD_TASK";
// The exit code kill() gives a child.
constexpr UINT killedExitCode = 1;
// What abort() ends a claimed child with: the code of a fail-fast exit,
// which is also how the current C runtime's abort() ends a program.
constexpr DWORD failFastCode = 0xC0000409;

std::string systemError(const char* what)
{
    return std::string(what) + ": system error " + std::to_string(GetLastError());
}

void closeFd(int& fd)
{
    if (fd >= 0) {
        ::_close(fd);
        fd = -1;
    }
}

// The job object every child joins: its processes end when panel-host.exe
// closes its last handle to it, that is when it ends. Null when the system
// refuses one (the children then end with panel-host only when it ends
// them).
HANDLE childrenJob()
{
    static const HANDLE job = [] {
        HANDLE made = CreateJobObjectA(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (made != nullptr &&
            SetInformationJobObject(made, JobObjectExtendedLimitInformation, &limits, sizeof limits) == 0) {
            CloseHandle(made);
            made = nullptr;
        }
        return made;
    }();
    return job;
}

// A handle of this process, duplicated so that a child inherits it.
HANDLE inheritable(HANDLE handle)
{
    HANDLE copy = nullptr;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
        DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS) == 0) {
        return nullptr;
    }
    return copy;
}

// The handles one child inherits, closed in the parent once it started.
class inheritedHandles {
public:
    ~inheritedHandles()
    {
        for (const HANDLE handle : handles_) {
            CloseHandle(handle);
        }
    }
    HANDLE add(HANDLE handle)
    {
        if (handle != nullptr) {
            handles_.push_back(handle);
        }
        return handle;
    }
    std::vector<HANDLE>& list() { return handles_; }

private:
    std::vector<HANDLE> handles_;
};

// A pipe whose `childEnd` is inheritable and whose other end, this
// process's, is a descriptor.
bool makePipe(bool childReads, HANDLE& childEnd, int& ownFd, inheritedHandles& inherited)
{
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (CreatePipe(&readEnd, &writeEnd, nullptr, 0) == 0) {
        return false;
    }
    HANDLE own = childReads ? writeEnd : readEnd;
    HANDLE theirs = childReads ? readEnd : writeEnd;
    childEnd = inherited.add(inheritable(theirs));
    CloseHandle(theirs);
    ownFd = ::_open_osfhandle(reinterpret_cast<intptr_t>(own), (childReads ? _O_WRONLY : _O_RDONLY) | _O_BINARY);
    if (childEnd == nullptr || ownFd < 0) {
        if (ownFd < 0) {
            CloseHandle(own);
        }
        closeFd(ownFd);
        return false;
    }
    return true;
}

// This program's own file and command line, for the child.
std::wstring ownProgram()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// Starts the program suspended with the environment variable set and only
// `inherited` to inherit; it joins the job before it runs.
bool createChild(const std::string& variable, const STARTUPINFOW& base, inheritedHandles& inherited,
                 PROCESS_INFORMATION& created, std::string& problem)
{
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<char> storage(size);
    auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
    STARTUPINFOEXW startup{};
    startup.StartupInfo = base;
    startup.StartupInfo.cb = sizeof startup;
    DWORD flags = CREATE_SUSPENDED;
    if (InitializeProcThreadAttributeList(attributes, 1, 0, &size) != 0) {
        if (UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited.list().data(),
                                      inherited.list().size() * sizeof(HANDLE), nullptr, nullptr) != 0) {
            startup.lpAttributeList = attributes;
            flags |= EXTENDED_STARTUPINFO_PRESENT;
        }
    }
    std::wstring program = ownProgram();
    std::wstring commandLine = GetCommandLineW();
    SetEnvironmentVariableA(taskVariable, variable.c_str());
    const BOOL started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr,
                                        nullptr, &startup.StartupInfo, &created);
    const DWORD error = GetLastError();
    SetEnvironmentVariableA(taskVariable, nullptr);
    if (startup.lpAttributeList != nullptr) {
        DeleteProcThreadAttributeList(attributes);
    }
    if (started == 0) {
        SetLastError(error);
        problem = systemError("cannot start a child process");
        return false;
    }
    if (const HANDLE job = childrenJob(); job != nullptr) {
        AssignProcessToJobObject(job, created.hProcess);
    }
    ResumeThread(created.hThread);
    CloseHandle(created.hThread);
    return true;
}

std::string hexCode(DWORD code)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code));
    return text;
}

// The exceptions that end a program, by name.
const char* exceptionName(DWORD code)
{
    switch (code) {
    case 0xC0000005:
        return "access violation";
    case 0xC00000FD:
        return "stack overflow";
    case failFastCode:
        return "fail-fast exit: abort() or a stack buffer overrun";
    case 0xC000001D:
        return "illegal instruction";
    case 0xC0000096:
        return "privileged instruction";
    case 0xC0000094:
        return "integer division by zero";
    case 0xC0000095:
        return "integer overflow";
    case 0xC0000374:
        return "heap corruption";
    case 0x80000003:
        return "breakpoint";
    case 0xC0000006:
        return "in-page error";
    case 0xC000013A:
        return "ended by Ctrl-C";
    default:
        return nullptr;
    }
}

childEnding describeExit(DWORD code, bool killed)
{
    childEnding ending;
    ending.exitCode = static_cast<int>(code);
    const char* name = exceptionName(code);
    if (killed) {
        ending.how = "stopped by panel-host";
    } else if (name != nullptr || code >= 0xC0000000) {
        ending.how = "ended by exception " + hexCode(code) + (name != nullptr ? " (" + std::string(name) + ")" : "");
    } else {
        ending.exited = true;
        ending.normal = code == 0;
        ending.how = "exited with status " + std::to_string(code);
    }
    return ending;
}

// In a claimed child: an exception nobody handled, abort() and a missing
// DLL end the process at once with their code, instead of a dialog (or
// wine's debugger) that would keep it alive.
LONG WINAPI endWithExceptionCode(EXCEPTION_POINTERS* exception)
{
    TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

void endAsFailFast(int)
{
    TerminateProcess(GetCurrentProcess(), failFastCode);
}

void endFaultsAtOnce()
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(endWithExceptionCode);
    std::signal(SIGABRT, endAsFailFast);
    // abort() of the system's msvcrt.dll writes a message box or text
    // before it raises SIGABRT; where the runtime can be told not to, it is.
    using abortBehaviour = unsigned(__cdecl*)(unsigned, unsigned);
    if (const HMODULE runtime = GetModuleHandleA("msvcrt.dll"); runtime != nullptr) {
        if (const FARPROC found = GetProcAddress(runtime, "_set_abort_behavior"); found != nullptr) {
            reinterpret_cast<abortBehaviour>(reinterpret_cast<void*>(found))(0, 3);
        }
    }
}

}  // namespace

void closeDescriptor(int fd)
{
    ::_close(fd);
}

bool openPipe(int& readFd, int& writeFd)
{
    int fds[2];
    if (::_pipe(fds, 65536, _O_BINARY | _O_NOINHERIT) != 0) {
        return false;
    }
    readFd = fds[0];
    writeFd = fds[1];
    return true;
}

void runStartedTask(const std::string& taskPrefix, const startedTask& work)
{
    const char* value = std::getenv(taskVariable);
    if (value == nullptr) {
        return;
    }
    const std::string told(value);
    const std::size_t second = told.rfind('|');
    const std::size_t first =
        second == std::string::npos || second == 0 ? std::string::npos : told.rfind('|', second - 1);
    if (first == std::string::npos || told.compare(0, taskPrefix.size(), taskPrefix) != 0 ||
        taskPrefix.size() > first) {
        return;
    }
    const std::string task = told.substr(0, first);
    const auto input = static_cast<intptr_t>(std::strtoull(told.c_str() + first + 1, nullptr, 10));
    const auto output = static_cast<intptr_t>(std::strtoull(told.c_str() + second + 1, nullptr, 10));
    // Not for the children this one may start.
    SetEnvironmentVariableA(taskVariable, nullptr);
    ::_putenv((std::string(taskVariable) + "=").c_str());
    endFaultsAtOnce();
    const int inputFd = ::_open_osfhandle(input, _O_RDONLY | _O_BINARY);
    const int outputFd = ::_open_osfhandle(output, _O_WRONLY | _O_BINARY);
    const int code = inputFd < 0 || outputFd < 0 ? 1 : work(task, inputFd, outputFd);
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    // No exit handlers or destructors: as a forked child, it ends here.
    ::_exit(code);
}

childProcess::childProcess() : process_(std::make_unique<process>()) {}

childProcess::~childProcess()
{
    if (process_->handle != nullptr) {
        kill();
        wait();
    }
    closeFd(process_->toChild);
    closeFd(process_->fromChild);
}

int childProcess::outputFd() const
{
    return process_->fromChild;
}

bool childProcess::start(const childStart& how, const body&, std::string& problem)
{
    // A child that never claimed its task would run panel-host again, and
    // start its own children the same way.
    if (std::getenv(taskVariable) != nullptr) {
        problem = "a child process of panel-host did not take up its task; it starts no children of its own";
        return false;
    }
    inheritedHandles inherited;
    HANDLE childInput = nullptr;
    HANDLE childOutput = nullptr;
    if (!makePipe(true, childInput, process_->toChild, inherited) ||
        !makePipe(false, childOutput, process_->fromChild, inherited)) {
        problem = systemError("cannot create a pipe");
        closeFd(process_->toChild);
        closeFd(process_->fromChild);
        return false;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    const HANDLE output = how.standardOutput >= 0 ? reinterpret_cast<HANDLE>(::_get_osfhandle(how.standardOutput))
                                                  : GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdInput = inherited.add(inheritable(GetStdHandle(STD_INPUT_HANDLE)));
    startup.hStdOutput = inherited.add(inheritable(output));
    startup.hStdError =
        how.standardOutput >= 0 ? startup.hStdOutput : inherited.add(inheritable(GetStdHandle(STD_ERROR_HANDLE)));
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    const std::string variable = how.task + "|" + std::to_string(reinterpret_cast<uintptr_t>(childInput)) + "|" +
                                 std::to_string(reinterpret_cast<uintptr_t>(childOutput));
    PROCESS_INFORMATION created{};
    if (!createChild(variable, startup, inherited, created, problem)) {
        closeFd(process_->toChild);
        closeFd(process_->fromChild);
        return false;
    }
    process_->handle = created.hProcess;
    process_->killed = false;
    reader_ = lineReader(process_->fromChild, maxMessageBytes);
    return true;
}

bool childProcess::send(const std::string& line)
{
    const spinLockGuard lock(process_->sending);
    return process_->toChild >= 0 && writeAll(process_->toChild, line + "\n");
}

void childProcess::closeInput()
{
    const spinLockGuard lock(process_->sending);
    closeFd(process_->toChild);
}

void childProcess::kill()
{
    const spinLockGuard lock(process_->childLock);
    if (process_->handle != nullptr && WaitForSingleObject(process_->handle, 0) == WAIT_TIMEOUT) {
        process_->killed = TerminateProcess(process_->handle, killedExitCode) != 0 || process_->killed;
    }
}

bool childProcess::ended()
{
    const spinLockGuard lock(process_->childLock);
    return process_->handle == nullptr || WaitForSingleObject(process_->handle, 0) == WAIT_OBJECT_0;
}

childEnding childProcess::wait()
{
    closeInput();
    closeFd(process_->fromChild);
    reader_ = lineReader(-1);
    if (process_->handle == nullptr) {
        return describeExit(0, false);
    }
    WaitForSingleObject(process_->handle, INFINITE);
    const spinLockGuard lock(process_->childLock);
    DWORD code = 0;
    GetExitCodeProcess(process_->handle, &code);
    CloseHandle(process_->handle);
    process_->handle = nullptr;
    return describeExit(code, process_->killed);
}

}  // namespace panel_host
