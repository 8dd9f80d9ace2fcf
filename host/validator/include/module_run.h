#pragma once

#include "probe_runner.h"
#include "reply_policy.h"
#include "session_recorder.h"
#include "host_event.h"
#include "validation_settings.h"

#include <string>
#include <vector>

namespace panel_host {

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
