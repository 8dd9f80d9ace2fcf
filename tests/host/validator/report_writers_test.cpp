// Reports for people and machines: the verdict, exit code, JSON and JUnit
// forms of the same results.
#include "check_result.h"
#include "report_writers.h"

#include <gtest/gtest.h>

#include <sstream>

namespace panel_host {

namespace {

validationReport oneOfEachKind()
{
    validationReport report;
    report.modulePath = "lib<odd>&.so";
    const resultKind kinds[] = {resultKind::passed,   resultKind::failed,  resultKind::crashed,
                                resultKind::timedOut, resultKind::skipped, resultKind::warning};
    for (resultKind kind : kinds) {
        checkResult result{kind, std::string("details of ") + resultKindName(kind) + " <&>\"'",
                           std::chrono::milliseconds(1500)};
        report.records.push_back({std::string("group.") + resultKindName(kind), "one line", result});
    }
    report.duration = std::chrono::milliseconds(9000);
    return report;
}

std::size_t occurrences(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

TEST(Verdict, FailsOnFailedCrashedOrTimedOutOnly)
{
    validationReport report = oneOfEachKind();
    EXPECT_FALSE(report.passed());
    EXPECT_EQ(report.exitCode(), 1);
    EXPECT_EQ(report.verdict(),
              "FAILED: 6 checks: 1 passed, 1 warning(s), 1 failed, 1 crashed, 1 timed out, 1 skipped");
    report.records.erase(report.records.begin() + 1, report.records.begin() + 4);
    EXPECT_TRUE(report.passed());
    EXPECT_EQ(report.exitCode(), 0);
    EXPECT_EQ(report.verdict(),
              "PASSED: 3 checks: 1 passed, 1 warning(s), 0 failed, 0 crashed, 0 timed out, 1 skipped");
}

TEST(JsonReport, HoldsEveryCheckWithResultDetailsAndDuration)
{
    validationSettings settings;
    settings.modulePath = "m.so";
    const nlohmann::json json = reportJson(oneOfEachKind(), settings);
    ASSERT_EQ(json["checks"].size(), 6u);
    EXPECT_EQ(json["checks"][3]["name"], "group.Timed out");
    EXPECT_EQ(json["checks"][3]["result"], "Timed out");
    EXPECT_EQ(json["checks"][3]["details"], "details of Timed out <&>\"'");
    EXPECT_EQ(json["checks"][3]["durationMs"], 1500);
    EXPECT_EQ(json["counts"]["Crashed"], 1);
    EXPECT_EQ(json["passed"], false);
    EXPECT_EQ(json["settings"]["seed"], validationSettings::defaultSeed);
}

TEST(JunitReport, MapsResultKindsToJunitElementsAndEscapesText)
{
    const std::string xml = junitXml(oneOfEachKind());
    EXPECT_EQ(occurrences(xml, "<testcase "), 6u);
    EXPECT_EQ(occurrences(xml, "<failure "), 1u);
    EXPECT_EQ(occurrences(xml, "<error "), 2u);
    EXPECT_EQ(occurrences(xml, "<skipped "), 1u);
    EXPECT_EQ(occurrences(xml, "<system-out>Warning: "), 1u);
    EXPECT_NE(xml.find("tests=\"6\" failures=\"1\" errors=\"2\""), std::string::npos);
    EXPECT_NE(xml.find("<testsuite name=\"lib&lt;odd&gt;&amp;.so\""), std::string::npos);
    EXPECT_NE(xml.find("details of Failed &lt;&amp;&gt;&quot;&apos;</failure>"), std::string::npos) << xml;
    EXPECT_EQ(xml.find("<&>"), std::string::npos);
}

TEST(TextReport, ShowsDetailsOfEveryResultButPassed)
{
    std::ostringstream out;
    textReporter reporter(out);
    const validationReport report = oneOfEachKind();
    for (const checkRecord& record : report.records) {
        reporter.checkFinished(record);
    }
    reporter.finish(report);
    const std::string text = out.str();
    EXPECT_NE(text.find("Failed    group.Failed - one line (1500 ms)\n          details of Failed"), std::string::npos)
        << text;
    EXPECT_EQ(text.find("details of Passed"), std::string::npos) << text;
    EXPECT_NE(text.find("details of Warning"), std::string::npos) << text;
    EXPECT_NE(text.find("\nVerdict: FAILED: 6 checks"), std::string::npos) << text;
}

struct printableCase {
    std::string text;
    std::size_t limit;
    std::string printed;
};

class PrintableText : public testing::TestWithParam<printableCase> {};

TEST_P(PrintableText, EscapesWhatReportsCannotCarryAndCutsLongTexts)
{
    EXPECT_EQ(printableText(GetParam().text, GetParam().limit), GetParam().printed);
}

INSTANTIATE_TEST_SUITE_P(Table, PrintableText,
                         testing::Values(printableCase{"plain text", 100, "plain text"},
                                         printableCase{"two\nlines\tand tab", 100, "two\nlines\tand tab"},
                                         printableCase{std::string("nul\0here", 8), 100, "nul\\x00here"},
                                         printableCase{"\x7F\x80\xFF", 100, "\\x7f\\x80\\xff"},
                                         printableCase{"abcdef", 3, "abc... (3 more bytes)"},
                                         printableCase{"", 3, ""}));

}  // namespace

}  // namespace panel_host
