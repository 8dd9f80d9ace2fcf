#include "build_paths.h"
#include "layout_file.h"

#include <gtest/gtest.h>

#include <string>

namespace panel_host {

namespace {

TEST(LayoutFile, TheShippedRoutingPanelLayoutHasEveryControlAndStateSheet)
{
    const layoutResult loaded = loadLayoutFile(std::string(buildPaths::layouts) + "/p1.morv_ui");
    ASSERT_TRUE(loaded.ok) << loaded.error;
    const panelLayout& layout = loaded.layout;
    for (const char* list : {"Sources", "Destinations"}) {
        ASSERT_NE(layout.findControl(list), nullptr) << list;
        EXPECT_EQ(layout.findControl(list)->kind, controlKind::list) << list;
    }
    for (const char* label : {"New", "NewSrcName", "Did", "DestName", "Old", "OldSrcName"}) {
        ASSERT_NE(layout.findControl(label), nullptr) << label;
        EXPECT_EQ(layout.findControl(label)->kind, controlKind::label) << label;
    }
    for (const char* button : {"Take", "Clear"}) {
        ASSERT_NE(layout.findControl(button), nullptr) << button;
        EXPECT_EQ(layout.findControl(button)->kind, controlKind::button) << button;
    }
    EXPECT_NE(layout.findStateSheet("QF_TakeHigh"), nullptr);
    EXPECT_NE(layout.findStateSheet("QF_TakeLow"), nullptr);
}

TEST(LayoutFile, ReadsKindsEnabledStatesAndPropertiesOfAnyScalarType)
{
    const layoutResult loaded = parseLayout(R"({"title": "T",
        "stateSheets": [{"name": "Lit", "look": "bright"}],
        "controls": [{"name": "L", "kind": "list", "caption": "Pick one", "properties": {"select": 3}},
                     {"name": "B", "kind": "button", "enabled": false,
                      "properties": {"statesheet": "Lit", "blink": true}}]})");
    ASSERT_TRUE(loaded.ok) << loaded.error;
    EXPECT_EQ(loaded.layout.title, "T");
    EXPECT_EQ(loaded.layout.findControl("L")->properties.at("select"), "3");
    EXPECT_FALSE(loaded.layout.findControl("B")->enabled);
    EXPECT_EQ(loaded.layout.findControl("B")->properties.at("blink"), "1");
    EXPECT_EQ(loaded.layout.findStateSheet("Lit")->look, "bright");
    EXPECT_EQ(loaded.layout.findControl("L")->caption, "Pick one");
    EXPECT_EQ(loaded.layout.findControl("B")->caption, "B") << "the caption defaults to the name";
}

struct badLayout {
    const char* json;
    const char* error;
};

class LayoutRejected : public testing::TestWithParam<badLayout> {};

TEST_P(LayoutRejected, SaysWhatIsWrong)
{
    const layoutResult loaded = parseLayout(GetParam().json);
    EXPECT_FALSE(loaded.ok);
    EXPECT_NE(loaded.error.find(GetParam().error), std::string::npos) << loaded.error;
}

INSTANTIATE_TEST_SUITE_P(
    Table, LayoutRejected,
    testing::Values(
        badLayout{"not json", "line 1, column 2: not valid JSON"}, badLayout{"[]", "a layout must be a JSON object"},
        badLayout{"{}", "a layout needs an array \"controls\""},
        badLayout{R"({"title": 3, "controls": []})", "\"title\" must be a text"},
        badLayout{R"({"controls": [{"kind": "label"}]})", "control 1: \"name\" must be a text"},
        badLayout{R"({"controls": [{"name": "it's", "kind": "label"}]})",
                  "control 1: \"name\" \"it's\" holds an apostrophe, which a quoted field of a command cannot carry"},
        badLayout{R"({"controls": [{"name": "A\u0000B", "kind": "label"}]})",
                  "control 1: \"name\" \"A\\x00B\" holds NUL, where a host text ends"},
        badLayout{R"({"controls": [{"name": "\u03a9", "kind": "label"}]})",
                  "control 1: \"name\" \"\u03a9\": \"\u03a9\" (U+03A9) is not in windows-1252"},
        badLayout{R"({"codePage": "latin-9", "controls": []})", "\"codePage\" must be \"windows-1252\" or \"utf-8\""},
        badLayout{R"({"controls": [{"name": "A", "kind": "knob"}]})",
                  "control 1 \"A\": \"kind\" must be \"list\", \"label\" or \"button\""},
        badLayout{R"({"controls": [{"name": "A", "kind": "label", "enabled": "yes"}]})",
                  "control 1 \"A\": \"enabled\" must be true or false"},
        badLayout{R"({"controls": [{"name": "A", "kind": "label", "caption": ""}]})",
                  "control 1 \"A\": \"caption\" must be a non-empty text"},
        badLayout{R"({"controls": [{"name": "A", "kind": "label"}, {"name": "A", "kind": "label"}]})",
                  "control 2 \"A\": the name is used twice"},
        badLayout{R"({"controls": [{"name": "A", "kind": "label", "properties": {"text": [1]}}]})",
                  "control 1 \"A\": property \"text\" needs a name without '=' and a text, number or boolean value"},
        badLayout{R"({"controls": [{"name": "A", "kind": "button", "properties": {"statesheet": "Lit"}}]})",
                  "control 1 \"A\": the layout has no state sheet \"Lit\""},
        badLayout{R"({"controls": [{"name": "A", "kind": "list", "properties": {"select": "first"}}]})",
                  "control 1 \"A\": the selection of list \"A\" must be a whole number from -1 up, not \"first\""},
        badLayout{R"({"stateSheets": {}, "controls": []})", "\"stateSheets\" must be an array"},
        badLayout{R"({"stateSheets": [{"name": "S"}, {"name": "S"}], "controls": []})",
                  "state sheet 2: the name \"S\" is used twice"}));

TEST(LayoutFile, AMissingFileNamesItsPath)
{
    const layoutResult loaded = loadLayoutFile("/no/such/p1.morv_ui");
    EXPECT_FALSE(loaded.ok);
    EXPECT_EQ(loaded.error, "layout file not found or unreadable: /no/such/p1.morv_ui");
}

}  // namespace

}  // namespace panel_host
