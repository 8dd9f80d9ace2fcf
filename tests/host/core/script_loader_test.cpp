#include "build_paths.h"
#include "script_loader.h"

#include "morv_client_callback.h"
#include "recording_host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace panel_host {

namespace {

TEST(ScriptLoader, LoadsModuleCreatesScriptAndDeletesItOnUnload)
{
    recordingHost host;
    scriptLoader loader;
    const loadOutcome outcome = loader.load(buildPaths::fakePanelModule, &host, "/layouts");
    ASSERT_TRUE(outcome.ok) << outcome.message;
    EXPECT_EQ(loader.state(), loaderState::scriptCreated);
    ASSERT_NE(loader.script(), nullptr);

    loader.script()->notify(nullptr, 4);
    loader.unload();

    const std::vector<std::string> want{"PS '1' '/layouts/p1.morv_ui'", "RR 1 1 64", "RC 1 0 1 ',' 0", "AS"};
    EXPECT_EQ(joinLines(host.commands()), joinLines(want));
    EXPECT_EQ(loader.state(), loaderState::empty);
    EXPECT_EQ(loader.script(), nullptr);
}

struct failingLoad {
    const char* name;
    std::string modulePath;
    std::string messagePart;
    loaderState stateAfterLastGoodStep;
};

class ScriptLoaderFailure : public testing::TestWithParam<failingLoad> {};

TEST_P(ScriptLoaderFailure, StopsAtTheFailingStepWithAClearMessageAndUndoesTheRest)
{
    const failingLoad& c = GetParam();
    recordingHost host;
    scriptLoader loader;
    const loadOutcome outcome = loader.load(c.modulePath, &host, "");
    EXPECT_FALSE(outcome.ok);
    EXPECT_NE(outcome.message.find(c.messagePart), std::string::npos) << outcome.message;
    EXPECT_EQ(loader.state(), loaderState::empty);
    EXPECT_EQ(loader.script(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ScriptLoaderFailure,
    testing::Values(
        failingLoad{"MissingFile", "/no/such/module.so", "module /no/such/module.so: no such file", loaderState::empty},
        failingLoad{"EmptyPath", "", "no module path given", loaderState::empty},
        failingLoad{"NotALibrary", std::string(buildPaths::testData) + "/not_a_module.so", "not a shared library",
                    loaderState::empty},
        failingLoad{"MissingExport", buildPaths::fakeNoEntryModule, "does not export load_morv_client_script",
                    loaderState::libraryOpen},
        failingLoad{"NullObject", buildPaths::fakeNullModule, "returned no script object", loaderState::entryResolved}),
    [](const testing::TestParamInfo<failingLoad>& row) { return std::string(row.param.name); });

TEST_P(ScriptLoaderFailure, StepByStepLoadingStopsInTheLastGoodState)
{
    const failingLoad& c = GetParam();
    recordingHost host;
    scriptLoader loader;
    loadOutcome outcome = loader.openLibrary(c.modulePath);
    if (outcome.ok) {
        outcome = loader.resolveEntry();
    }
    if (outcome.ok) {
        outcome = loader.createScript(&host, "");
    }
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(loader.state(), c.stateAfterLastGoodStep) << loaderStateName(loader.state());
    loader.unload();
    EXPECT_EQ(loader.state(), loaderState::empty);
}

TEST(ScriptLoader, StepsOutOfOrderAreRefused)
{
    scriptLoader loader;
    EXPECT_FALSE(loader.resolveEntry().ok);
    EXPECT_FALSE(loader.createScript(nullptr, "").ok);
    ASSERT_TRUE(loader.openLibrary(buildPaths::fakePanelModule).ok);
    EXPECT_FALSE(loader.openLibrary(buildPaths::fakePanelModule).ok);
    EXPECT_FALSE(loader.createScript(nullptr, "").ok);
    EXPECT_EQ(loader.state(), loaderState::libraryOpen);
}

TEST(ScriptLoader, DestroyingTheScriptKeepsTheLibraryLoaded)
{
    recordingHost host;
    scriptLoader loader;
    ASSERT_TRUE(loader.load(buildPaths::fakePanelModule, &host, "").ok);
    loader.destroyScript();
    EXPECT_EQ(loader.state(), loaderState::entryResolved);
    EXPECT_EQ(host.commands().back(), "AS");
    ASSERT_TRUE(loader.createScript(&host, "again").ok);
    const std::vector<std::string> commands = host.commands();
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(commands[commands.size() - 2], "PS '1' 'again/p1.morv_ui'");
}

TEST(ScriptLoader, DestructorUnloadsWhatIsStillLoaded)
{
    recordingHost host;
    {
        scriptLoader loader;
        ASSERT_TRUE(loader.load(buildPaths::fakePanelModule, &host, "").ok);
    }
    EXPECT_EQ(host.commands().back(), "AS");
}

TEST(ModuleLibrary, SymbolOfAClosedLibraryIsAnError)
{
    moduleLibrary library;
    std::string error;
    EXPECT_EQ(library.symbol("load_morv_client_script", error), nullptr);
    EXPECT_EQ(error, "no module is loaded");
}

TEST(ModuleLibrary, MovedLibraryKeepsTheHandle)
{
    moduleLibrary first;
    std::string error;
    ASSERT_TRUE(first.open(buildPaths::fakePanelModule, error)) << error;
    moduleLibrary second(std::move(first));
    EXPECT_TRUE(second.isOpen());
    EXPECT_NE(second.symbol("load_morv_client_script", error), nullptr);
}

}  // namespace

}  // namespace panel_host
