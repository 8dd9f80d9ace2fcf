#pragma once

#include "contract_report.h"
#include "host_event.h"
#include "host_observer.h"
#include "notification.h"
#include "probe_runner.h"
#include "reply_policy.h"
#include "validation_settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace panel_host {

// Running a script under watch: a fresh host session with a recorder of
// everything the script did, for the checks to judge.

// The file of the loaded executable or shared library whose image holds
// `address` (its code or static data), or nothing when no loaded image holds
// it (heap and stack memory). The one platform seam for this question.
std::optional<std::string> imageHolding(const void* address);

// Watches a host session for the checks: every send with the step it came
// in, every notify call with the sends it caused and what it returned, and
// a transcript that compares equal for equal behaviour (no addresses).
class sessionRecorder final : public hostObserver {
public:
    // Steps: start-up (the export call), event i, unload (the destructor).
    static constexpr std::int64_t startUpStep = -1;

    struct sendRecord {
        std::int32_t code = 0;
        std::string text;  // code 0: the command text; code 5: the text given back
        bool textWasNull = false;
        std::string releasedReplyOf;
        std::int64_t step = startUpStep;
        bool unloading = false;
    };
    struct callRecord {
        notification n;
        std::size_t sends = 0;         // sends made during the call
        const void* result = nullptr;  // what notify returned
        std::optional<std::string> resultText;
        // The loaded image (module or program) whose static data holds the
        // result, looked up while the module is loaded; nothing for heap memory.
        std::optional<std::string> resultImage;
        std::int64_t step = startUpStep;
    };
    struct diagnosticRecord {
        std::string text;
        std::int64_t step = startUpStep;
        bool unloading = false;
    };
    struct breachRecord {
        contractBreach breach;
        std::int64_t step = startUpStep;
        bool unloading = false;
    };

    // The driver tells the recorder where the session is.
    void startEvent(std::int64_t index) { step_ = index; }
    void startUnload() { unloading_ = true; }

    void notificationStarting(const notification& n) override;
    void notificationFinished(const notification& n, const char* result) override;
    void commandSent(const sentCommand& command) override;
    void breachFound(const contractBreach& breach) override;
    void diagnostic(const std::string& text) override;

    const std::vector<sendRecord>& sends() const { return sends_; }
    const std::vector<callRecord>& calls() const { return calls_; }
    const std::vector<breachRecord>& breaches() const { return breaches_; }
    // What the host could not do (a layout file not found, an unknown control).
    const std::vector<diagnosticRecord>& diagnostics() const { return diagnostics_; }
    const std::vector<std::string>& transcript() const { return transcript_; }

private:
    std::int64_t step_ = startUpStep;
    bool unloading_ = false;
    bool inCall_ = false;
    std::vector<sendRecord> sends_;
    std::vector<callRecord> calls_;
    std::vector<breachRecord> breaches_;
    std::vector<diagnosticRecord> diagnostics_;
    std::vector<std::string> transcript_;
};

// One recorded life of a script: a fresh host session loads the module,
// the events are applied in order, the script is destroyed and the module
// unloaded.
struct recordedRun {
    bool loaded = false;
    std::string loadProblem;   // when !loaded
    bool modelReplies = true;  // the host answered what its models say (no policy)
    sessionRecorder recorder;
};

// policy: the host's answers (null: the models'). progress gets a note
// before start-up, each event (numbered by its index) and unloading.
recordedRun runModule(const validationSettings& settings, const std::vector<hostEvent>& events, replyPolicy* policy,
                      progressChannel& progress);

// "event 12: tally device 1 ...", "start-up", "unload": where a step lies.
std::string stepName(std::int64_t step, bool unloading, const std::vector<hostEvent>& events);

}  // namespace panel_host
