#pragma once

#include "event_vocabulary.h"
#include "probe_runner.h"
#include "validation_check.h"
#include "validation_settings.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace panel_host {

// Probes by name, so that a child started afresh for one (Windows) makes
// the same body its parent meant from the same settings:
//   "check NAME"            the whole check NAME in one probe;
//   "sequence SEED LENGTH"  the first LENGTH events of the random sequence
//                           of SEED (the robustness check's probes).
std::string checkProbeKey(const checkDefinition& check);
std::string sequenceProbeKey(std::uint64_t seed, std::size_t length);

// The body a key names; null for a key that names none. `probes` runs the
// probes a check may start itself.
probeBody probeOfKey(const validationSettings& settings, const eventVocabulary& vocabulary, probeRunner& probes,
                     const std::string& key);

// In a child started afresh for a probe: runs it for its watcher and ends
// the process. Returns otherwise (always where children are forks).
void runStartedProbe(const validationSettings& settings);

}  // namespace panel_host
