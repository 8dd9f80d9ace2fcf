#include "trace_file.h"

#include "debug_output.h"
#include "platform.h"
#include "trace_format.h"

#include <string.h>

namespace {

// The longest reason a stop line gives, and the room kept below the cap and
// in the allocated file for the last line ("stop" or "unload"): its head
// and that reason with every byte escaped.
constexpr size_t maxReasonLength = 120;
constexpr uint32_t lastLineReserve = 64u + 4u * maxReasonLength;
static_assert(lastLineReserve + sizeof traceVersionLine < minimumTraceCap, "the first and the last line fit any cap");

// The file grows by at least this much at a time: a few system calls per
// quarter megabyte of trace.
constexpr uint32_t growthStep = 256u * 1024u;

struct traceFileState {
    bool open;
    traceFileHandle file;
    uint32_t cap;
    uint32_t written;    // bytes of the trace so far
    uint32_t allocated;  // the file's length, all of it allocated on the disk
    // The mapped part of the file: from a multiple of the granularity at or
    // before `written` to `allocated`.
    char* window;
    uint32_t windowOffset;
    uint32_t windowLength;
    hostClockFunction hostClock;  // null: the system's clock
    uint32_t startMilliseconds;
    uint32_t lastMilliseconds;
    traceLineStamp stamp;  // of the last line
    int32_t instances;
};

// Zero-initialised static storage: nothing runs at load or unload.
traceFileState trace;

uint32_t smaller(uint32_t a, uint32_t b)
{
    return a < b ? a : b;
}

// Milliseconds of the trace's clock, never fewer than on the line before.
uint32_t nowMilliseconds()
{
    uint32_t now = trace.lastMilliseconds;
    if (trace.hostClock != nullptr) {
        const long long host = trace.hostClock();
        if (host >= 0) {
            now = host > 0xFFFFFFFFLL ? 0xFFFFFFFFu : static_cast<uint32_t>(host);
        }
    } else {
        now = monotonicMilliseconds() - trace.startMilliseconds;
    }
    if (now < trace.lastMilliseconds) {
        now = trace.lastMilliseconds;
    }
    trace.lastMilliseconds = now;
    return now;
}

void closeWindow()
{
    if (trace.window != nullptr) {
        unmapTraceWindow(trace.window, trace.windowLength);
        trace.window = nullptr;
        trace.windowLength = 0;
    }
}

// Makes the file allocated and mapped up to `end`: grown by a step when
// that fits the cap and the disk, else by just what is needed. False with
// the reason when the disk has no room or the mapping fails.
bool reach(uint32_t end, textBuilder& reason)
{
    if (trace.window != nullptr && end <= trace.windowOffset + trace.windowLength) {
        return true;
    }
    if (end > trace.allocated) {
        const uint32_t stepped = trace.allocated + smaller(growthStep, trace.cap - trace.allocated);
        uint32_t target = stepped > end ? stepped : end;
        char ignoredBuffer[96];
        textBuilder ignored(ignoredBuffer, sizeof ignoredBuffer);
        // A disk too full for a step may still hold what is needed.
        if (target == end || !growTraceFile(trace.file, trace.allocated, target, ignored)) {
            target = end;
            if (!growTraceFile(trace.file, trace.allocated, end, reason)) {
                return false;
            }
        }
        trace.allocated = target;
    }
    closeWindow();
    const uint32_t granularity = traceMappingGranularity();
    const uint32_t offset = trace.written - trace.written % granularity;
    char* const window = mapTraceWindow(trace.file, offset, trace.allocated - offset, reason);
    if (window == nullptr) {
        return false;
    }
    trace.window = window;
    trace.windowOffset = offset;
    trace.windowLength = trace.allocated - offset;
    return true;
}

enum class lineOutcome { written, capReached, noRoom };

// Formats one line into the file. A line other than the last leaves room
// for the last one behind it, in the cap and in the allocated file.
lineOutcome writeLine(int32_t instance, const char* event, const traceField* fields, size_t count, bool last,
                      textBuilder& reason)
{
    stampTraceLine(trace.stamp, nowMilliseconds(), currentThreadId());
    const traceLineHead head{&trace.stamp, instance, event};
    const uint32_t keep = last ? 0u : lastLineReserve;
    const uint32_t end = smaller(trace.windowOffset + trace.windowLength, trace.cap);
    // No window after a mapping failed: the line is only measured.
    char* const at = trace.window != nullptr ? trace.window + (trace.written - trace.windowOffset) : nullptr;
    const uint32_t room = at != nullptr && end >= trace.written + keep ? end - trace.written - keep : 0u;
    traceLineOutput out{at, room, 0};
    formatTraceLine(out, head, fields, count);
    if (out.length > room) {
        if (out.length > trace.cap - trace.written - keep) {
            return lineOutcome::capReached;
        }
        const uint32_t length = static_cast<uint32_t>(out.length);
        if (!reach(trace.written + length + keep, reason)) {
            return lineOutcome::noRoom;
        }
        out = {trace.window + (trace.written - trace.windowOffset), length, 0};
        formatTraceLine(out, head, fields, count);
    }
    trace.written += static_cast<uint32_t>(out.length);
    return lineOutcome::written;
}

void closeLocked()
{
    closeWindow();
    closeTraceFile(trace.file, trace.written);
    trace.open = false;
}

void stopLocked(const char* reason)
{
    if (!trace.open) {
        return;
    }
    char shortBuffer[maxReasonLength + 1];
    textBuilder shortReason(shortBuffer, sizeof shortBuffer);
    shortReason.add(reason);
    char ignoredBuffer[8];
    textBuilder ignored(ignoredBuffer, sizeof ignoredBuffer);
    const traceField field = fieldText(shortReason.text());
    // The room for it is allocated and mapped already.
    (void)writeLine(0, traceEventWord::stop, &field, 1, true, ignored);
    closeLocked();
    char messageBuffer[192];
    textBuilder message(messageBuffer, sizeof messageBuffer);
    message.add("morv trace: the trace stopped: ").add(reason);
    writeDebugOutput(message.text());
}

void writeEventLocked(int32_t instance, const char* event, const traceField* fields, size_t count)
{
    char reasonBuffer[160];
    textBuilder reason(reasonBuffer, sizeof reasonBuffer);
    switch (writeLine(instance, event, fields, count, false, reason)) {
    case lineOutcome::written:
        return;
    case lineOutcome::capReached: {
        textBuilder capReason(reasonBuffer, sizeof reasonBuffer);
        capReason.add("size cap of ").addDecimal(trace.cap).add(" bytes reached");
        stopLocked(capReason.text());
        return;
    }
    case lineOutcome::noRoom: {
        char stopBuffer[192];
        textBuilder stop(stopBuffer, sizeof stopBuffer);
        stop.add("cannot write: ").add(reason.text());
        stopLocked(stop.text());
        return;
    }
    }
}

// In a child made by fork: the trace and its mapping are the parent's; the
// child writes nothing to them.
void leaveTraceToParent()
{
    if (trace.open) {
        closeWindow();
        abandonTraceFile(trace.file);
        trace.open = false;
    }
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
    traceFileHandle file{};
    if (!createTraceFile(path, file, reason)) {
        return false;
    }
    memset(&trace, 0, sizeof trace);
    trace.file = file;
    trace.cap = cap < minimumTraceCap ? minimumTraceCap : cap;
    trace.hostClock = findHostClock();
    trace.startMilliseconds = monotonicMilliseconds();
    constexpr uint32_t firstLineLength = sizeof traceVersionLine;  // with its line end
    if (!reach(firstLineLength + lastLineReserve, reason)) {
        closeWindow();
        closeTraceFile(file, 0);
        return false;
    }
    memcpy(trace.window, traceVersionLine, firstLineLength - 1);
    trace.window[firstLineLength - 1] = '\n';
    trace.written = firstLineLength;
    trace.open = true;
    watchForks(leaveTraceToParent);
    return true;
}

bool traceActive()
{
    const traceLock lock;
    return trace.open;
}

bool traceOnHostClock()
{
    const traceLock lock;
    return trace.hostClock != nullptr;
}

void traceEvent(int32_t instance, const char* event, const traceField* fields, size_t count)
{
    const traceLock lock;
    if (trace.open) {
        writeEventLocked(instance, event, fields, count);
    }
}

int32_t traceLoad(const void* host, const char* path)
{
    const traceLock lock;
    if (!trace.open) {
        return 0;
    }
    const int32_t instance = ++trace.instances;
    const traceField fields[] = {fieldKey(traceKey::host), fieldPointer(host), fieldKey(traceKey::path),
                                 fieldText(path)};
    writeEventLocked(instance, traceEventWord::load, fields, 4);
    return instance;
}

void stopTrace(const char* reason)
{
    const traceLock lock;
    stopLocked(reason);
}

void endTraceAtUnload()
{
    if (!trace.open) {
        return;
    }
    char ignoredBuffer[8];
    textBuilder ignored(ignoredBuffer, sizeof ignoredBuffer);
    (void)writeLine(0, traceEventWord::unload, nullptr, 0, true, ignored);
    closeLocked();
}
