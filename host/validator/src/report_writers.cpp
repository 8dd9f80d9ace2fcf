#include "report_writers.h"

#include <cstdio>
#include <sstream>

namespace panel_host {

namespace {

std::string seconds(std::chrono::milliseconds duration)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", static_cast<double>(duration.count()) / 1000.0);
    return text;
}

std::string indented(const std::string& text, const std::string& prefix)
{
    std::string out;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        out += prefix + line + "\n";
    }
    return out;
}

std::string paddedKind(resultKind kind)
{
    std::string name = resultKindName(kind);
    name.resize(9, ' ');
    return name;
}

}  // namespace

void textReporter::header(const validationSettings& settings, std::size_t checkCount, bool isolated)
{
    out_ << "panel-host validate " << settings.modulePath << "\n"
         << "  layouts " << settings.layoutFolder << "; seed " << settings.seed << "; " << settings.sequences
         << " random sequence(s) of " << settings.events << " events; time limit " << seconds(settings.timeout)
         << " s per check; " << (isolated ? "each check in its own process" : "all checks in this process") << "\n"
         << "  " << checkCount << " check(s)\n\n";
    out_.flush();
}

void textReporter::checkFinished(const checkRecord& record)
{
    out_ << paddedKind(record.result.kind) << " " << record.name << " - " << record.description << " ("
         << record.result.duration.count() << " ms)\n";
    if (record.result.kind != resultKind::passed && !record.result.details.empty()) {
        out_ << indented(record.result.details, "          ");
    }
    out_.flush();
}

void textReporter::finish(const validationReport& report)
{
    out_ << "\nVerdict: " << report.verdict() << " (" << seconds(report.duration) << " s)\n";
    out_.flush();
}

nlohmann::json reportJson(const validationReport& report, const validationSettings& settings)
{
    nlohmann::json checks = nlohmann::json::array();
    for (const checkRecord& record : report.records) {
        checks.push_back({{"name", record.name},
                          {"description", record.description},
                          {"result", resultKindName(record.result.kind)},
                          {"details", record.result.details},
                          {"durationMs", record.result.duration.count()}});
    }
    nlohmann::json counts;
    for (resultKind kind : {resultKind::passed, resultKind::failed, resultKind::crashed, resultKind::timedOut,
                            resultKind::skipped, resultKind::warning}) {
        counts[resultKindName(kind)] = report.count(kind);
    }
    return {{"module", report.modulePath},
            {"settings",
             {{"layouts", settings.layoutFolder},
              {"seed", settings.seed},
              {"events", settings.events},
              {"sequences", settings.sequences},
              {"timeoutMs", settings.timeout.count()},
              {"inProcess", settings.inProcess}}},
            {"checks", checks},
            {"counts", counts},
            {"passed", report.passed()},
            {"verdict", report.verdict()},
            {"durationMs", report.duration.count()}};
}

std::string xmlEscaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string junitXml(const validationReport& report)
{
    std::ostringstream xml;
    const std::size_t failures = report.count(resultKind::failed);
    const std::size_t errors = report.count(resultKind::crashed) + report.count(resultKind::timedOut);
    xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<testsuites name=\"panel-host validate\" tests=\"" << report.records.size() << "\" failures=\"" << failures
        << "\" errors=\"" << errors << "\" time=\"" << seconds(report.duration) << "\">\n"
        << "  <testsuite name=\"" << xmlEscaped(report.modulePath) << "\" tests=\"" << report.records.size()
        << "\" failures=\"" << failures << "\" errors=\"" << errors << "\" skipped=\""
        << report.count(resultKind::skipped) << "\" time=\"" << seconds(report.duration) << "\">\n";
    for (const checkRecord& record : report.records) {
        const std::string group = record.name.substr(0, record.name.find('.'));
        const std::string kind = resultKindName(record.result.kind);
        const std::string details = xmlEscaped(record.result.details);
        xml << "    <testcase classname=\"validate." << xmlEscaped(group) << "\" name=\"" << xmlEscaped(record.name)
            << "\" time=\"" << seconds(record.result.duration) << "\">\n";
        switch (record.result.kind) {
        case resultKind::failed:
            xml << "      <failure type=\"" << kind << "\" message=\"" << xmlEscaped(record.description) << "\">"
                << details << "</failure>\n";
            break;
        case resultKind::crashed:
        case resultKind::timedOut:
            xml << "      <error type=\"" << kind << "\" message=\"" << kind << "\">" << details << "</error>\n";
            break;
        case resultKind::skipped:
            xml << "      <skipped message=\"" << details << "\"/>\n";
            break;
        case resultKind::warning:
            xml << "      <system-out>Warning: " << details << "</system-out>\n";
            break;
        case resultKind::passed:
            break;
        }
        xml << "    </testcase>\n";
    }
    xml << "  </testsuite>\n</testsuites>\n";
    return xml.str();
}

}  // namespace panel_host
