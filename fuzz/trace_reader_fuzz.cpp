// Fuzz target: a trace file (any bytes, as a copy from a production host
// may hold).
//
// Properties: a refusal is one line that names the file and a line within
// the text (or just after it) and gives a reason; an accepted trace starts
// with its version line, ends with a line end, has the trace event first,
// times that never go back, instance 0 exactly for the module's events and
// instances within the count; and its events, written back in the format
// (a second, plain writer here), read back to the same events.
#include "fuzz_check.h"
#include "fuzz_target.h"
#include "fuzz_text.h"
#include "trace_reader.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace panel_host {
namespace {

const std::string fileName = "f.trace";

std::string writtenText(const traceText& text)
{
    if (!text) {
        return "null";
    }
    static const char digits[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char c : *text) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            out += {'\\', c};
        } else if (b < 0x20 || b > 0x7E) {
            out += {'\\', 'x', digits[b >> 4], digits[b & 15]};
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string writtenPayload(const traceEvent& e)
{
    const auto n = [](std::int64_t v) { return std::to_string(v); };
    switch (e.carried) {
    case traceEvent::payload::tally:
        return " tally device=" + n(e.device) + " index=" + n(e.index) + " value=" + n(e.value) +
               " text=" + writtenText(e.text);
    case traceEvent::payload::button:
        return " button panel=" + writtenText(e.panel) + " control=" + writtenText(e.control) +
               " event=" + writtenText(e.event);
    case traceEvent::payload::query:
        return " query " + writtenText(e.text);
    case traceEvent::payload::timer:
        return " timer " + n(e.value);
    case traceEvent::payload::giveback:
        return " giveback " + tracePointerText(e.pointer);
    default:
        return " payload " + tracePointerText(e.pointer);
    }
}

std::string writtenFields(const traceEvent& e)
{
    using k = traceEvent::kind;
    const std::string pointer = tracePointerText(e.pointer);
    switch (e.what) {
    case k::trace:
        return " module=" + writtenText(e.text) + " inner=" + writtenText(e.inner) + " pid=" + std::to_string(e.pid) +
               " cap=" + std::to_string(e.cap);
    case k::innerLoaded:
        return " " + writtenText(e.text);
    case k::innerFailed:
        return " " + writtenText(e.text) + " " + writtenText(e.reason);
    case k::load:
        return " host=" + pointer + " path=" + writtenText(e.text);
    case k::created:
        return " " + pointer;
    case k::notify:
        return " " + std::to_string(e.code) + writtenPayload(e);
    case k::returned:
        return " " + pointer + (e.text ? " " + writtenText(e.text) : "");
    case k::send:
        if (e.code != 0) {
            return " " + std::to_string(e.code) + " " + pointer;
        }
        return " 0 " + writtenText(e.text) + " -> " + pointer + (e.pointer ? " " + writtenText(e.reply) : "");
    case k::stop:
        return " " + writtenText(e.reason);
    default:
        return "";
    }
}

std::string written(const traceFile& trace)
{
    std::string out = "morv-trace 1\n";
    for (const traceEvent& e : trace.events) {
        out += std::to_string(e.ms) + " " + std::to_string(e.thread) + " " + std::to_string(e.instance) + " " +
               traceEventName(e.what) + writtenFields(e) + "\n";
    }
    return out;
}

bool isModuleEvent(traceEvent::kind what)
{
    using k = traceEvent::kind;
    return what == k::trace || what == k::innerLoaded || what == k::innerFailed || what == k::stop || what == k::unload;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const traceRead read = parseTrace(text, fileName);
    const auto shown = [&] { return printable(text.substr(0, 300)) + ": " + read.error; };
    if (!read.ok) {
        const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
        fuzzCheck(read.error.compare(0, fileName.size() + 1, fileName + ":") == 0, "a refusal names the file", shown);
        const std::size_t line = std::strtoul(read.error.c_str() + fileName.size() + 1, nullptr, 10);
        fuzzCheck(line >= 1 && line <= lines + 1, "a refusal names a line of the text", shown);
        fuzzCheck(read.error.find(": ", fileName.size()) != std::string::npos, "a refusal says why", shown);
        fuzzCheck(read.error.find('\n') == std::string::npos, "a refusal is one line", shown);
        return 0;
    }
    const traceFile& trace = read.trace;
    fuzzCheck(text.compare(0, 12, "morv-trace 1") == 0 && text.back() == '\n',
              "a trace has its version and ends a line", shown);
    fuzzCheck(!trace.events.empty() && trace.events.front().what == traceEvent::kind::trace,
              "the trace event comes first", shown);
    for (std::size_t i = 0; i < trace.events.size(); ++i) {
        const traceEvent& e = trace.events[i];
        fuzzCheck(i == 0 || trace.events[i - 1].ms <= e.ms, "time never goes back", shown);
        fuzzCheck(isModuleEvent(e.what) == (e.instance == 0), "instance 0 is the module's", shown);
        fuzzCheck(e.instance <= trace.instances, "instances are within the count", shown);
    }
    const traceRead again = parseTrace(written(trace), fileName);
    fuzzCheck(again.ok, "a trace written back reads", [&] { return shown() + " / " + again.error; });
    fuzzCheck(written(again.trace) == written(trace), "a trace written back reads back the same events", shown);
    fuzzCheck(again.trace.complete == trace.complete, "a trace written back is as complete", shown);
    return 0;
}

}  // namespace panel_host
