#include "trace_file.h"

#include "debug_output.h"
#include "platform.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

namespace {

// Room kept below the cap for the last line, "stop" or "unload".
constexpr uint32_t lastLineReserve = 256u;

struct traceFileState {
    FILE* file;  // null when no trace is written
    uint32_t cap;
    uint32_t formatted;  // bytes of every line so far, written or collected
    uint32_t startMilliseconds;
    uint32_t lastMilliseconds;
    size_t pendingLength;
    char pending[16384];
};

// Zero-initialised static storage: nothing runs at load or unload.
traceFileState trace;

void closeTrace()
{
    // Every line was written and flushed as it came, so a failing close
    // loses nothing that could still be saved.
    (void)fclose(trace.file);
    trace.file = nullptr;
    trace.pendingLength = 0;
}

void addErrorText(textBuilder& reason, int error)
{
    const char* const text = strerror(error);
    reason.add(text != nullptr ? text : "unknown error");
}

void stopLocked(const char* reason, bool canWrite);

// Writes `length` bytes to the file; on failure ends the trace with the
// reason.
void writeOut(const char* bytes, size_t length)
{
    if (trace.file == nullptr || length == 0) {
        return;
    }
    errno = 0;
    if (fwrite(bytes, 1, length, trace.file) == length && fflush(trace.file) == 0) {
        return;
    }
    char reasonBuffer[128];
    textBuilder reason(reasonBuffer, sizeof reasonBuffer);
    reason.add("cannot write: ");
    addErrorText(reason, errno != 0 ? errno : EIO);
    stopLocked(reason.text(), true);
}

void writePending()
{
    const size_t length = trace.pendingLength;
    trace.pendingLength = 0;
    writeOut(trace.pending, length);
}

void collect(const char* bytes, size_t length, void* /*context*/)
{
    if (trace.file == nullptr) {
        return;
    }
    if (trace.pendingLength + length > sizeof trace.pending) {
        writePending();
        if (length > sizeof trace.pending) {
            writeOut(bytes, length);
            return;
        }
    }
    memcpy(trace.pending + trace.pendingLength, bytes, length);
    trace.pendingLength += length;
}

// A line is formatted here first.
char lineBytes[2048];

// Formats and collects one line; false when it would not fit in the cap
// (with the reserve for the last line unless `last`). A line is formatted
// once; only a line longer than the line buffer is formatted again, straight
// into the collected bytes.
bool addLine(int32_t instance, const char* event, const traceField* fields, size_t count, bool last)
{
    uint32_t milliseconds = monotonicMilliseconds() - trace.startMilliseconds;
    if (milliseconds < trace.lastMilliseconds) {
        milliseconds = trace.lastMilliseconds;
    }
    trace.lastMilliseconds = milliseconds;
    const traceLineHead head{milliseconds, currentThreadId(), instance, event};
    traceLineOutput out{lineBytes, sizeof lineBytes, nullptr, nullptr, 0};
    formatTraceLine(out, head, fields, count);
    const uint32_t room = trace.cap - trace.formatted - (last ? 0u : lastLineReserve);
    if (out.length > room) {
        return false;
    }
    trace.formatted += static_cast<uint32_t>(out.length);
    if (out.length <= sizeof lineBytes) {
        collect(lineBytes, out.length, nullptr);
    } else {
        traceLineOutput again{nullptr, 0, collect, nullptr, 0};
        formatTraceLine(again, head, fields, count);
    }
    return true;
}

void stopLocked(const char* reason, bool canWrite)
{
    if (trace.file == nullptr) {
        return;
    }
    char messageBuffer[192];
    textBuilder message(messageBuffer, sizeof messageBuffer);
    message.add("morv trace: the trace stopped: ").add(reason);
    if (canWrite) {
        const traceField field = fieldText(reason);
        addLine(0, "stop", &field, 1, true);
        // A second failure here finds no file and writes nothing more.
        FILE* const file = trace.file;
        const size_t length = trace.pendingLength;
        trace.pendingLength = 0;
        if (length != 0 && fwrite(trace.pending, 1, length, file) == length) {
            (void)fflush(file);
        }
    }
    if (trace.file != nullptr) {
        closeTrace();
    }
    writeDebugOutput(message.text());
}

class traceLock {
public:
    traceLock() { lockTrace(); }
    ~traceLock() { unlockTrace(); }
    traceLock(const traceLock&) = delete;
    traceLock& operator=(const traceLock&) = delete;
};

}  // namespace

bool startTraceFile(const char* path, uint32_t cap, textBuilder& reason)
{
    const traceLock lock;
    errno = 0;
    FILE* const file = fopen(path, "wb");
    if (file == nullptr) {
        addErrorText(reason, errno != 0 ? errno : EACCES);
        return false;
    }
    // No buffer of the C library's: lines are collected here and written
    // at each flush point. Every write is flushed at once anyway, so a
    // stream that keeps its buffer still writes the same bytes.
    (void)setvbuf(file, nullptr, _IONBF, 0);
    static const char firstLine[] = "morv-trace 1\n";
    trace.file = file;
    trace.cap = cap < minimumTraceCap ? minimumTraceCap : cap;
    trace.formatted = sizeof firstLine - 1;
    trace.startMilliseconds = monotonicMilliseconds();
    trace.lastMilliseconds = 0;
    trace.pendingLength = 0;
    errno = 0;
    if (fwrite(firstLine, 1, sizeof firstLine - 1, file) != sizeof firstLine - 1 || fflush(file) != 0) {
        addErrorText(reason, errno != 0 ? errno : EIO);
        closeTrace();
        return false;
    }
    return true;
}

bool traceActive()
{
    const traceLock lock;
    return trace.file != nullptr;
}

void traceEvent(int32_t instance, const char* event, const traceField* fields, size_t count)
{
    const traceLock lock;
    if (trace.file == nullptr) {
        return;
    }
    if (!addLine(instance, event, fields, count, false)) {
        char reasonBuffer[64];
        textBuilder reason(reasonBuffer, sizeof reasonBuffer);
        reason.add("size cap of ").addDecimal(trace.cap).add(" bytes reached");
        stopLocked(reason.text(), true);
    }
}

void flushTrace()
{
    const traceLock lock;
    writePending();
}

void stopTrace(const char* reason)
{
    const traceLock lock;
    stopLocked(reason, true);
}

void endTraceAtUnload()
{
    if (trace.file == nullptr) {
        return;
    }
    addLine(0, "unload", nullptr, 0, true);
    writePending();
    if (trace.file != nullptr) {
        closeTrace();
    }
}
