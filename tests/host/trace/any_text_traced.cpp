// Every text a real host carries, through a trace: each byte value from 1 to
// 255 alone, the empty text, blanks at either end, "null", " #", an
// apostrophe and a tab go as source and destination names of a router file
// (so as the host's replies to "RN" and as tally texts) and as control names
// of a layout (as the button records of presses). The routing panel is
// played through the tracing module; the router `trace router` writes from
// the trace has every name, byte for byte; `trace compare` finds no
// difference against that router or the one played; and `trace replay`
// passes against the routing panel. Once for each code page.
#include "build_paths.h"
#include "file_text.h"
#include "host_text.h"
#include "host_texts.h"
#include "router_config.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace panel_host {

namespace {

// The routing panel's router and layout with every text as a source and a
// destination name, and as a button where a command's field can name it.
void writeFiles(const fs::path& folder, codePage page, const std::vector<std::string>& texts)
{
    fs::create_directories(folder / "layouts");
    nlohmann::json names = nlohmann::json::array();
    for (const std::string& text : texts) {
        names.push_back(hostBytesToText(text, page));
    }
    nlohmann::json router{
        {"codePage", codePageName(page)},
        {"devices", {{{"name", "B4 Audio Router"}, {"number", 1}, {"sources", names}, {"destinations", names}}}}};
    nlohmann::json layout = nlohmann::json::parse(readFile(fs::path(buildPaths::layouts) / "p1.morv_ui"));
    layout["codePage"] = codePageName(page);
    for (const std::string& text : texts) {
        if (text.find('\'') == std::string::npos) {
            layout["controls"].push_back({{"name", hostBytesToText(text, page)}, {"kind", "button"}});
        }
    }
    std::ofstream(folder / "router.json", std::ios::binary) << router.dump(1);
    std::ofstream(folder / "layouts" / "p1.morv_ui", std::ios::binary) << layout.dump(1);
}

// The operator chooses every destination and source (the host replies with
// their names) and routes every source to destination 7 (its tally carries
// the source's name), and presses every button.
std::string scenarioOf(codePage page, const std::vector<std::string>& texts)
{
    std::string lines = "layouts layouts\nrouter router.json\n";
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string k = std::to_string(i + 1);
        lines += "choose Destinations " + k + "\nchoose Sources " + k + "\nchoose Destinations 7\npress Take\n";
        if (texts[i].find('\'') == std::string::npos) {
            lines += "press " + scenarioWord(texts[i], page) + "\n";
        }
    }
    return lines;
}

// Runs a command line of panel-host; its exit code, its output in `output`.
int panelHost(const std::string& arguments, const fs::path& output)
{
    const std::string command =
        "'" + std::string(buildPaths::panelHost) + "' " + arguments + " > '" + output.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string quoted(const fs::path& path)
{
    return "'" + path.string() + "'";
}

class AnyTextTraced : public testing::TestWithParam<codePage> {};

TEST_P(AnyTextTraced, RoutesComparesAndReplaysByteForByte)
{
    const codePage page = GetParam();
    const std::vector<std::string> texts = hostTexts();
    const fs::path folder = fs::path(buildPaths::workFolder) / ("any_text_" + std::string(codePageName(page)));
    fs::remove_all(folder);
    writeFiles(folder, page, texts);
    std::ofstream(folder / "any.scenario", std::ios::binary) << scenarioOf(page, texts);
    // The tracing module deployed in the routing panel's place, as in a host.
    const fs::path panel(buildPaths::vantryModule);
    const fs::path deployed = folder / panel.filename();
    fs::copy_file(buildPaths::tracingModule, deployed);
    fs::copy_file(panel, folder / (panel.stem().string() + ".traced" + panel.extension().string()));

    ASSERT_EQ(
        panelHost("play --module " + quoted(deployed) + " " + quoted(folder / "any.scenario"), folder / "play.txt"), 0)
        << readFile(folder / "play.txt");
    std::vector<fs::path> traces;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == ".trace") {
            traces.push_back(entry.path());
        }
    }
    ASSERT_EQ(traces.size(), 1u);
    const std::string trace = quoted(traces.front());

    ASSERT_EQ(panelHost("trace router " + trace + " --code-page " + codePageName(page), folder / "traced.json"), 0)
        << readFile(folder / "traced.json");
    const routerConfigResult played = loadRouterConfig((folder / "router.json").string());
    const routerConfigResult shown = loadRouterConfig((folder / "traced.json").string());
    ASSERT_TRUE(played.ok && shown.ok) << played.error << shown.error;
    EXPECT_EQ(shown.page, page);
    ASSERT_EQ(shown.devices.size(), 1u);
    EXPECT_EQ(shown.devices[0].name, played.devices[0].name);
    EXPECT_EQ(shown.devices[0].sources, played.devices[0].sources) << "names learned from replies and tallies";
    EXPECT_EQ(shown.devices[0].destinations, played.devices[0].destinations) << "names learned from replies";

    const std::string layouts = " --layouts " + quoted(folder / "layouts");
    for (const char* router : {"traced.json", "router.json"}) {
        EXPECT_EQ(panelHost("trace compare " + trace + layouts + " --router " + quoted(folder / router),
                            folder / "compare.txt"),
                  0)
            << router << ":\n"
            << readFile(folder / "compare.txt");
    }
    const fs::path replayed = folder / "replay.txt";
    EXPECT_EQ(panelHost("trace replay " + trace + " --module " + quoted(panel), replayed), 0) << readFile(replayed);
}

INSTANTIATE_TEST_SUITE_P(CodePages, AnyTextTraced, testing::Values(codePage::windows1252, codePage::utf8),
                         [](const testing::TestParamInfo<codePage>& row) {
                             return row.param == codePage::utf8 ? std::string("Utf8") : std::string("Windows1252");
                         });

}  // namespace

}  // namespace panel_host
