// A probe's key names the body its parent meant, so that a child started
// afresh for it (Windows) runs the same probe: a sequence's key runs that
// many of its events, and a key that names no probe makes none.
#include "probe_keys.h"
#include "validator_fixture.h"

#include <gtest/gtest.h>

namespace panel_host {

namespace {

struct keyRow {
    const char* key;
    bool namesAProbe;
};

class ProbeKeys : public testing::TestWithParam<keyRow> {};

TEST_P(ProbeKeys, NameAProbeOrNone)
{
    const validationSettings settings = testSettings(testModulePaths().at("sound_module"), std::chrono::seconds(5));
    const eventVocabulary vocabulary = buildVocabulary(settings.layoutFolder, settings.devices);
    const auto probes = makeInProcessRunner();
    EXPECT_EQ(static_cast<bool>(probeOfKey(settings, vocabulary, *probes, GetParam().key)), GetParam().namesAProbe);
}

INSTANTIATE_TEST_SUITE_P(Table, ProbeKeys,
                         testing::Values(keyRow{"check loading.creates-object", true}, keyRow{"sequence 7 120", true},
                                         keyRow{"sequence 0 0", true}, keyRow{"check loading.no-such-check", false},
                                         keyRow{"check", false}, keyRow{"sequence 7", false},
                                         keyRow{"sequence x 120", false}, keyRow{"sequence 7 120 more", false},
                                         keyRow{"probe 7 120", false}, keyRow{"", false}),
                         [](const testing::TestParamInfo<keyRow>& row) { return "Row" + std::to_string(row.index); });

TEST(ProbeKeysBody, RunsTheEventsItsKeyNames)
{
    validationSettings settings = testSettings(testModulePaths().at("gives_back_twice"), std::chrono::seconds(5));
    const eventVocabulary vocabulary = buildVocabulary(settings.layoutFolder, settings.devices);
    const auto probes = makeInProcessRunner();
    silentProgress quiet;
    const nlohmann::json none = probeOfKey(settings, vocabulary, *probes, sequenceProbeKey(1, 0))(quiet);
    const nlohmann::json all = probeOfKey(settings, vocabulary, *probes, sequenceProbeKey(1, settings.events))(quiet);
    EXPECT_TRUE(none.value("loaded", false)) << none.dump();
    EXPECT_TRUE(none.value("breaches", nlohmann::json::array()).empty()) << none.dump();
    EXPECT_FALSE(all.value("breaches", nlohmann::json::array()).empty()) << all.dump();
}

}  // namespace

}  // namespace panel_host
