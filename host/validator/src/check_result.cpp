#include "check_result.h"

#include "input_rules.h"

#include <array>
#include <utility>

namespace panel_host {

namespace {

constexpr std::array<std::pair<resultKind, const char*>, 6> kindNames{{
    {resultKind::passed, "Passed"},
    {resultKind::failed, "Failed"},
    {resultKind::crashed, "Crashed"},
    {resultKind::timedOut, "Timed out"},
    {resultKind::skipped, "Skipped"},
    {resultKind::warning, "Warning"},
}};

}  // namespace

const char* resultKindName(resultKind kind)
{
    for (const auto& entry : kindNames) {
        if (entry.first == kind) {
            return entry.second;
        }
    }
    return "Unknown";
}

std::optional<resultKind> resultKindFromName(const std::string& name)
{
    for (const auto& entry : kindNames) {
        if (name == entry.second) {
            return entry.first;
        }
    }
    return std::nullopt;
}

bool isFailure(resultKind kind)
{
    return kind == resultKind::failed || kind == resultKind::crashed || kind == resultKind::timedOut;
}

std::string printableText(const std::string& text, std::size_t limit)
{
    std::size_t used = 0;
    std::string out = escapedPrefix(text, limit, true, used);
    if (used < text.size()) {
        out += "... (" + std::to_string(text.size() - used) + " more bytes)";
    }
    return out;
}

}  // namespace panel_host
