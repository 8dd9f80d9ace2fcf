// Fuzz target: a trace file (any bytes, as a copy from a production host
// may hold), of either version, whole or cut off anywhere.
//
// Properties: a refusal is one line that names the file and a line within
// the text (or just after it) and gives a reason; an accepted trace starts
// with a version line, has the trace event (or a stop) first, times that
// never go back, instance 0 exactly for the module's events and instances
// within the count; its events, written back in the current format (a
// second, plain writer here), read back to the same events; and the trace
// cut at any byte after its first line reads as its whole lines do.
#include "fuzz_check.h"
#include "fuzz_target.h"
#include "fuzz_text.h"
#include "host_text.h"
#include "trace_format.h"
#include "trace_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

namespace panel_host {
namespace {

const std::string fileName = "f.trace";

std::string key(const char* name)
{
    return std::string(" ") + name + "=";
}

std::string writtenPayload(const traceEvent& e)
{
    const auto n = [](std::int64_t v) { return std::to_string(v); };
    switch (e.carried) {
    case traceEvent::payload::tally:
        return std::string(" ") + traceWord::tally + key(traceKey::device) + n(e.device) + key(traceKey::index) +
               n(e.index) + key(traceKey::value) + n(e.value) + key(traceKey::text) +
               quotedTextOrNull(e.text, std::nullopt);
    case traceEvent::payload::button:
        return std::string(" ") + traceWord::button + key(traceKey::panel) + quotedTextOrNull(e.panel, std::nullopt) +
               key(traceKey::control) + quotedTextOrNull(e.control, std::nullopt) + " " + writtenButtonEvent(e.event);
    case traceEvent::payload::query:
        return std::string(" ") + traceWord::query + " " + quotedTextOrNull(e.text, std::nullopt);
    case traceEvent::payload::timer:
        return std::string(" ") + traceWord::timer + " " + n(e.timer);
    case traceEvent::payload::giveback:
        return std::string(" ") + traceWord::giveback + " " + tracePointerText(e.pointer);
    case traceEvent::payload::other:
    case traceEvent::payload::none:
        break;
    }
    return std::string(" ") + traceWord::payload + " " + tracePointerText(e.pointer);
}

std::string writtenFields(const traceEvent& e)
{
    using k = traceEvent::kind;
    const std::string pointer = tracePointerText(e.pointer);
    switch (e.what) {
    case k::trace:
        return key(traceKey::module) + quotedTextOrNull(e.text, std::nullopt) + key(traceKey::inner) +
               quotedTextOrNull(e.inner, std::nullopt) + key(traceKey::pid) + std::to_string(e.pid) +
               key(traceKey::cap) + std::to_string(e.cap) + key(traceKey::clock) +
               (e.hostClock ? traceWord::hostClock : traceWord::systemClock);
    case k::innerLoaded:
        return " " + quotedTextOrNull(e.text, std::nullopt);
    case k::innerFailed:
        return " " + quotedTextOrNull(e.text, std::nullopt) + " " + quotedTextOrNull(e.reason, std::nullopt);
    case k::load:
        return key(traceKey::host) + pointer + key(traceKey::path) + quotedTextOrNull(e.text, std::nullopt);
    case k::created:
        return " " + pointer;
    case k::notify:
        return " " + std::to_string(e.code) + writtenPayload(e);
    case k::returned:
        return " " + pointer + (e.text ? " " + quotedTextOrNull(e.text, std::nullopt) : "");
    case k::send:
        return " " + std::to_string(e.code) + " " + (e.code == 0 ? quotedTextOrNull(e.text, std::nullopt) : pointer);
    case k::reply:
        return " " + pointer + (e.reply ? " " + quotedTextOrNull(e.reply, std::nullopt) : "");
    case k::stop:
        return " " + quotedTextOrNull(e.reason, std::nullopt);
    case k::destroy:
    case k::destroyed:
    case k::unload:
        break;
    }
    return "";
}

std::string written(const std::vector<traceEvent>& events)
{
    std::string out = std::string(traceVersionLine) + "\n";
    for (const traceEvent& e : events) {
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

traceRead readText(const std::string& text)
{
    return readWholeTrace(traceSource::text(fileName, text));
}

void checkRefusal(const std::string& text, const traceRead& read, const std::function<std::string()>& shown)
{
    const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    fuzzCheck(read.error.compare(0, fileName.size() + 1, fileName + ":") == 0, "a refusal names the file", shown);
    const std::size_t line = std::strtoul(read.error.c_str() + fileName.size() + 1, nullptr, 10);
    fuzzCheck(line >= 1 && line <= lines + 1, "a refusal names a line of the text", shown);
    fuzzCheck(read.error.find(": ", fileName.size()) != std::string::npos, "a refusal says why", shown);
    fuzzCheck(read.error.find('\n') == std::string::npos, "a refusal is one line", shown);
}

void checkOrder(const traceRead& read, const std::function<std::string()>& shown)
{
    const std::vector<traceEvent>& events = read.events;
    fuzzCheck(events.empty() || events.front().what == traceEvent::kind::trace ||
                  events.front().what == traceEvent::kind::stop,
              "the trace event (or a stop) comes first", shown);
    for (std::size_t i = 0; i < events.size(); ++i) {
        const traceEvent& e = events[i];
        fuzzCheck(i == 0 || events[i - 1].ms <= e.ms, "time never goes back", shown);
        fuzzCheck(isModuleEvent(e.what) == (e.instance == 0), "instance 0 is the module's", shown);
        fuzzCheck(e.instance <= read.summary.instances, "instances are within the count", shown);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const traceRead read = readText(text);
    const auto shown = [&] { return printable(text.substr(0, 300)) + ": " + read.error; };
    if (!read.ok) {
        checkRefusal(text, read, shown);
        return 0;
    }
    fuzzCheck(text.compare(0, std::strlen(traceVersionPrefix), traceVersionPrefix) == 0, "a trace has its version",
              shown);
    checkOrder(read, shown);
    const traceRead again = readText(written(read.events));
    fuzzCheck(again.ok, "a trace written back reads", [&] { return shown() + " / " + again.error; });
    fuzzCheck(written(again.events) == written(read.events), "a trace written back reads back the same events", shown);
    fuzzCheck(again.summary.complete == read.summary.complete, "a trace written back is as complete", shown);

    // Cut where the first byte says, after the first line: as its whole lines.
    const std::size_t firstLine = text.find('\n') + 1;
    const std::size_t cut = firstLine + (size == 0 ? 0 : data[0] * (size - firstLine) / 256);
    const std::string prefix = text.substr(0, cut);
    const traceRead cutRead = readText(prefix);
    const traceRead wholeLines = readText(prefix.substr(0, prefix.find_last_of('\n') + 1));
    fuzzCheck(cutRead.ok && wholeLines.ok, "a trace cut after its first line reads",
              [&] { return shown() + " / cut at " + std::to_string(cut) + ": " + cutRead.error + wholeLines.error; });
    fuzzCheck(written(cutRead.events) == written(wholeLines.events), "a cut trace reads as its whole lines", shown);
    return 0;
}

}  // namespace panel_host
