#pragma once

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace panel_host {

// What a probe tells while it runs: readable steps, optionally numbered (the
// index of the event it is about to deliver), so that the validator can say
// where a probe was when it crashed or hung.
class progressChannel {
public:
    virtual ~progressChannel() = default;
    virtual void note(const std::string& text, std::int64_t step = -1) = 0;
};

// A progress channel that forgets everything.
class silentProgress final : public progressChannel {
public:
    void note(const std::string&, std::int64_t) override {}
};

struct progressNote {
    std::string text;
    std::int64_t step = -1;
};

// A piece of work that touches the module under test. It returns its
// findings as JSON; it may crash or hang, which is the point of isolating it.
using probeBody = std::function<nlohmann::json(progressChannel& progress)>;

// How a probe ended.
struct probeOutcome {
    enum class ending { finished, crashed, timedOut };

    ending how = ending::finished;
    nlohmann::json value;             // what the body returned, when finished
    std::vector<progressNote> notes;  // in order; the oldest are dropped past a cap
    std::string problem;              // crashed: how ("killed by signal 11 (Segmentation fault)")
    std::string output;               // the end of what the probe printed (child processes only)
    std::chrono::milliseconds duration{0};

    // The last note, or an empty one.
    progressNote lastNote() const;
};

// Runs probes: each in a child process of its own with a time limit, or in
// the caller's process (for debugging). Probes run one at a time on the
// caller's thread.
class probeRunner {
public:
    virtual ~probeRunner() = default;
    // Runs body; in a child process it is stopped after `limit`. `key`
    // names it for a child started afresh (see probe_keys.h).
    virtual probeOutcome run(const std::string& key, const probeBody& body, std::chrono::milliseconds limit) = 0;
    // True when a crash or hang of a probe cannot reach the caller.
    virtual bool isolates() const = 0;
};

// In the caller's process: an exception escaping the body counts as a crash;
// the time limit is not enforced.
std::unique_ptr<probeRunner> makeInProcessRunner();
// In a child process of its own (a watched child).
std::unique_ptr<probeRunner> makeChildProcessRunner();

}  // namespace panel_host
