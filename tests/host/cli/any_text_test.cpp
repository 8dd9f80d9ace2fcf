// Every text a real host carries, through the program: each byte value from
// 1 to 255 alone, the empty text, blanks at either end, "null", " #", an
// apostrophe and a tab go as names in a router file, replies of the host,
// tally texts and control names in a layout (where a command can carry them)
// into a scenario file. panel-host play carries them to the routing panel;
// the scenario's own reply and expect lines check each reply and command byte
// for byte, and each text read back from the transcript is the same bytes.
// Once for each code page a router and a layout file may say.
#include "build_paths.h"
#include "file_text.h"
#include "host_text.h"
#include "host_texts.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace panel_host {

namespace {

bool fitsAQuotedField(const std::string& text)
{
    return text.find('\'') == std::string::npos;
}

// The routing panel's router and layout, with every text as a source and
// destination name and (where a command field can carry it) a button.
void writeFiles(const fs::path& folder, codePage page, const std::vector<std::string>& texts)
{
    fs::create_directories(folder / "layouts");
    nlohmann::json names = nlohmann::json::array();
    nlohmann::json routes = nlohmann::json::array();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        names.push_back(hostBytesToText(texts[i], page));
        routes.push_back(i + 1);
    }
    nlohmann::json router{{"devices",
                           {{{"name", "B4 Audio Router"},
                             {"number", 1},
                             {"sources", names},
                             {"destinations", names},
                             {"routes", routes}}}}};
    nlohmann::json layout = nlohmann::json::parse(readFile(fs::path(buildPaths::layouts) / "p1.morv_ui"));
    for (const std::string& text : texts) {
        if (fitsAQuotedField(text)) {
            layout["controls"].push_back({{"name", hostBytesToText(text, page)}, {"kind", "button"}});
        }
    }
    if (page == codePage::utf8) {
        router["codePage"] = "utf-8";
        layout["codePage"] = "utf-8";
    }
    std::ofstream(folder / "router.json", std::ios::binary) << router.dump(1);
    std::ofstream(folder / "layouts" / "p1.morv_ui", std::ios::binary) << layout.dump(1);
}

std::string scenarioOf(codePage page, const std::vector<std::string>& texts)
{
    const auto text = [page](const std::string& bytes) { return scenarioText(bytes, page); };
    std::string lines = "layouts layouts\nrouter router.json\nchoose Destinations 7\n";
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string& t = texts[i];
        const std::string k = std::to_string(i + 1);
        // The router's name of source k, as the host's reply to "RN".
        lines += "choose Sources " + k + "\nexpect TP 'text=" + k + "' '1' 'New'\nexpect RN 1 0 " + k + "\nreply " +
                 text(t) + "\nexpect " + text("TP 'text=" + t + "' '1' 'NewSrcName'") + "\n";
        // A reply the host is told to give.
        lines += "answer " + text(t) + "\nchoose Sources " + k + "\nexpect TP 'text=" + k + "' '1' 'New'\nreply " +
                 text(t) + "\n";
        // A tally's text.
        lines += "tally 1 7 " + k + " " + text(t) + "\nexpect TP 'text=" + k + "' '1' 'Old'\nexpect " +
                 text("TP 'text=" + t + "' '1' 'OldSrcName'") + "\nexpect nothing\n";
        if (fitsAQuotedField(t)) {
            lines += "press " + scenarioWord(t, page) + "\nexpect nothing\n";
        }
    }
    return lines;
}

// A field as the transcript writes it, from `at` on: in apostrophes as it
// is, or quoted; std::nullopt for "null" or anything else.
std::optional<std::string> fieldAt(const std::string& line, std::size_t at, codePage page)
{
    if (at >= line.size()) {
        return std::nullopt;
    }
    if (line[at] == '\'') {
        const std::size_t end = line.find('\'', at + 1);
        return end == std::string::npos ? std::nullopt : std::optional(line.substr(at + 1, end - at - 1));
    }
    std::string text;
    std::string bytes;
    std::string problem;
    if (line[at] != '"' || !readQuotedText(line, at, text, problem) || !textToHostBytes(text, page, bytes, problem)) {
        return std::nullopt;
    }
    return bytes;
}

// The texts of the transcript lines that start with `prefix`, read back.
std::vector<std::optional<std::string>> textsAfter(const std::string& transcript, const std::string& prefix,
                                                   codePage page)
{
    std::vector<std::optional<std::string>> found;
    std::size_t start = 0;
    for (std::size_t end = transcript.find('\n'); end != std::string::npos;
         start = end + 1, end = transcript.find('\n', start)) {
        const std::string line = transcript.substr(start, end - start);
        if (line.rfind(prefix, 0) == 0) {
            found.push_back(fieldAt(line, prefix.size(), page));
        }
    }
    return found;
}

class AnyText : public testing::TestWithParam<codePage> {};

TEST_P(AnyText, GoesThroughAScenarioPlayAndTheTranscriptAndBack)
{
    const codePage page = GetParam();
    const std::vector<std::string> texts = hostTexts();
    const fs::path folder = fs::path(buildPaths::workFolder) / codePageName(page);
    fs::remove_all(folder);
    writeFiles(folder, page, texts);
    std::ofstream(folder / "any.scenario", std::ios::binary) << scenarioOf(page, texts);
    const std::string command = "'" + std::string(buildPaths::panelHost) + "' play --module '" +
                                std::string(buildPaths::vantryModule) + "' '" + (folder / "any.scenario").string() +
                                "' > '" + (folder / "out.txt").string() + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << readFile(folder / "out.txt");
    const std::string transcript = readFile(folder / "out.txt");

    // Every reply and command matched its line, byte for byte. The panel
    // puts a name with an apostrophe into a quoted field, which the host
    // cannot take apart: two texts, three commands each.
    EXPECT_NE(transcript.find(" expectation(s) checked, 0 block(s) failed, 6 breach(es)"), std::string::npos)
        << transcript.substr(transcript.rfind("\n# ", transcript.size() - 2));
    EXPECT_NE(transcript.find("  unparsable-command: 6\n"), std::string::npos);

    std::vector<std::optional<std::string>> names;
    std::vector<std::optional<std::string>> answers;
    std::vector<std::optional<std::string>> controls;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string k = std::to_string(i + 1);
        names.push_back(textsAfter(transcript, "    send(0) RN 1 0 " + k + " -> ", page).at(0));
        const auto replies = textsAfter(transcript, "    send(0) TP 'text=" + k + "' '1' 'New' -> ", page);
        answers.push_back(replies.size() == 2 ? replies[1] : std::nullopt);
        if (fitsAQuotedField(texts[i])) {
            controls.push_back(texts[i]);
        }
    }
    const std::vector<std::optional<std::string>> expected(texts.begin(), texts.end());
    EXPECT_EQ(names, expected) << "names of the router file, as the host's replies";
    EXPECT_EQ(answers, expected) << "replies set by answer lines";
    EXPECT_EQ(textsAfter(transcript, "  notify(1) tally device 1 index 7 value ", page).size(), texts.size() + 1);
    std::vector<std::optional<std::string>> tallies;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string prefix = "  notify(1) tally device 1 index 7 value " + std::to_string(i + 1) + " text ";
        tallies.push_back(textsAfter(transcript, prefix, page).back());
    }
    EXPECT_EQ(tallies, expected) << "tally texts";
    std::vector<std::optional<std::string>> pressed;
    const std::string buttonLine = "  notify(2) button panel '1' control ";
    for (const std::optional<std::string>& control : textsAfter(transcript, buttonLine, page)) {
        if (control && *control != "Sources" && *control != "Destinations") {
            pressed.push_back(control);
        }
    }
    EXPECT_EQ(pressed, controls) << "control names of the layout";
}

INSTANTIATE_TEST_SUITE_P(CodePages, AnyText, testing::Values(codePage::windows1252, codePage::utf8),
                         [](const testing::TestParamInfo<codePage>& row) {
                             return row.param == codePage::utf8 ? std::string("Utf8") : std::string("Windows1252");
                         });

}  // namespace

}  // namespace panel_host
