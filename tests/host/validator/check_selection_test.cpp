// Checks are chosen by name, group or wildcard, and the registry is one
// consistent list.
#include "validation_check.h"
#include "validation_runner.h"

#include <gtest/gtest.h>

#include <set>

namespace panel_host {

namespace {

struct patternCase {
    const char* pattern;
    const char* name;
    bool matches;
};

class CheckPattern : public testing::TestWithParam<patternCase> {};

TEST_P(CheckPattern, MatchesNamesGroupsAndWildcards)
{
    EXPECT_EQ(matchesCheckPattern(GetParam().pattern, GetParam().name), GetParam().matches)
        << GetParam().pattern << " against " << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, CheckPattern,
    testing::Values(patternCase{"output.final-as", "output.final-as", true},
                    patternCase{"output.final", "output.final-as", false},
                    patternCase{"output", "output.send-codes", true},
                    patternCase{"output", "outputs.send-codes", false}, patternCase{"out", "output.send-codes", false},
                    patternCase{"output.*", "output.give-back", true}, patternCase{"*as", "output.final-as", true},
                    patternCase{"*-*-*", "loading.single-export", false},
                    patternCase{"*.*-*", "loading.single-export", true},
                    patternCase{"*", "determinism.transcript", true}, patternCase{"", "loading.file-loads", false}));

std::vector<std::string> names(const std::vector<const checkDefinition*>& checks)
{
    std::vector<std::string> result;
    for (const checkDefinition* check : checks) {
        result.push_back(check->name);
    }
    return result;
}

TEST(SelectChecks, IncludesThenExcludesInRegistryOrder)
{
    EXPECT_EQ(names(selectChecks(registeredChecks(), {"output", "loading.file-loads"}, {"*as", "output.give-back"})),
              (std::vector<std::string>{"loading.file-loads", "output.send-codes", "output.command-texts",
                                        "output.reading-replies", "output.calling-thread"}));
}

TEST(SelectChecks, WithoutIncludeTakesEveryCheck)
{
    EXPECT_EQ(selectChecks(registeredChecks(), {}, {}).size(), registeredChecks().size());
}

TEST(Registry, NamesAreUniqueGroupedAndNeedOnlyEarlierChecks)
{
    std::set<std::string> seen;
    for (const checkDefinition& check : registeredChecks()) {
        EXPECT_NE(check.name.find('.'), std::string::npos) << check.name;
        EXPECT_FALSE(check.description.empty()) << check.name;
        EXPECT_NE(check.run, nullptr) << check.name;
        for (const std::string& need : check.needs) {
            EXPECT_EQ(seen.count(need), 1u) << check.name << " needs " << need;
        }
        EXPECT_TRUE(seen.insert(check.name).second) << check.name;
    }
}

}  // namespace

}  // namespace panel_host
