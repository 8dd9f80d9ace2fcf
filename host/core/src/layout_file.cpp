#include "layout_file.h"

#include "input_rules.h"
#include "json_reading.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <set>
#include <system_error>
#include <unordered_set>
#include <vector>

namespace panel_host {

using nlohmann::json;

namespace {

// Reads one text of the layout into `bytes` (host bytes in the layout's code
// page); false with `error` set, naming `what`, when it cannot be one.
bool readText(const json& value, codePage page, hostTextUse use, const std::string& what, std::string& bytes,
              std::string& error)
{
    const std::string problem = hostTextProblem(value, page, use, bytes);
    if (!problem.empty()) {
        error = what + " " + problem;
    }
    return problem.empty();
}

// A list's "entries": how many it has (its choices are 1 to that), or the
// router's sources or destinations.
bool readEntries(const json& control, const std::string& where, panelControl& c, std::string& error)
{
    const auto entries = control.find("entries");
    if (entries == control.end()) {
        return true;
    }
    if (c.kind != controlKind::list) {
        error = where + ": only a list has \"entries\"";
        return false;
    }
    if (entries->is_string() && (*entries == "sources" || *entries == "destinations")) {
        c.entriesOf = entries->get<std::string>();
        return true;
    }
    if (entries->is_number_integer() && entries->get<long long>() >= 0 &&
        entries->get<long long>() <= std::numeric_limits<std::int32_t>::max()) {
        c.entries = static_cast<std::int32_t>(entries->get<long long>());
        return true;
    }
    error = where + ": \"entries\" must be a whole number from 0 to " +
            std::to_string(std::numeric_limits<std::int32_t>::max()) + ", \"sources\" or \"destinations\"";
    return false;
}

// State sheet names travel in "TP 'statesheet=NAME' ..." fields.
bool readStateSheets(const json& root, codePage page, panelLayout& layout, std::string& error)
{
    const auto sheets = root.find("stateSheets");
    if (sheets == root.end()) {
        return true;
    }
    if (!sheets->is_array()) {
        error = "\"stateSheets\" must be an array";
        return false;
    }
    for (const json& sheet : *sheets) {
        const std::string where = "state sheet " + std::to_string(layout.stateSheets.size() + 1);
        if (!sheet.is_object()) {
            error = where + " must be an object";
            return false;
        }
        stateSheet read;
        if (!readText(sheet.value("name", json()), page, hostTextUse::quotedField, where + ": \"name\"", read.name,
                      error) ||
            !readText(sheet.value("look", json("")), page, hostTextUse::any, where + ": \"look\"", read.look, error)) {
            return false;
        }
        if (layout.findStateSheet(read.name) != nullptr) {
            error = where + ": the name \"" + shownBytes(read.name, page) + "\" is used twice";
            return false;
        }
        layout.stateSheets.push_back(std::move(read));
    }
    return true;
}

// Property names travel in "TP 'NAME=value' ..." fields; values come back
// in replies to "TG", as they are.
bool readProperties(const json& control, const std::string& where, codePage page, panelControl& c, std::string& error)
{
    const auto properties = control.find("properties");
    if (properties == control.end()) {
        return true;
    }
    if (!properties->is_object()) {
        error = where + ": \"properties\" must be an object";
        return false;
    }
    for (const auto& [name, value] : properties->items()) {
        const std::optional<std::string> text = jsonScalarText(value);
        std::string nameBytes;
        std::string valueBytes;
        const std::string named = where + ": property \"" + shownBytes(name, codePage::utf8) + "\"";
        if (!text || name.empty() || name.find('=') != std::string::npos) {
            error = named + " needs a name without '=' and a text, number or boolean value";
            return false;
        }
        if (!readText(json(name), page, hostTextUse::quotedField, named + ": the name", nameBytes, error) ||
            !readText(json(*text), page, hostTextUse::any, named + ": the value", valueBytes, error)) {
            return false;
        }
        c.properties[nameBytes] = valueBytes;
    }
    return true;
}

// `names` holds the names of the controls read so far, so that a layout of
// any size loads in linear time. Control names travel in quoted fields.
bool readControl(const json& control, codePage page, panelLayout& layout, std::unordered_set<std::string>& names,
                 std::string& error)
{
    const std::string where = "control " + std::to_string(layout.controls.size() + 1);
    if (!control.is_object()) {
        error = where + " must be an object";
        return false;
    }
    panelControl c;
    if (!readText(control.value("name", json()), page, hostTextUse::quotedField, where + ": \"name\"", c.name, error)) {
        return false;
    }
    const std::string named = where + " \"" + shownBytes(c.name, page) + "\"";
    const json kind = control.value("kind", json());
    const std::optional<controlKind> parsedKind =
        kind.is_string() ? controlKindFromName(kind.get<std::string>()) : std::nullopt;
    if (!parsedKind) {
        error = named + ": \"kind\" must be \"list\", \"label\" or \"button\"";
        return false;
    }
    c.kind = *parsedKind;
    const json enabled = control.value("enabled", json(true));
    if (!enabled.is_boolean()) {
        error = named + ": \"enabled\" must be true or false";
        return false;
    }
    c.enabled = enabled.get<bool>();
    const auto caption = control.find("caption");
    if (caption == control.end()) {
        c.caption = c.name;
    } else if (caption->is_string() && caption->get<std::string>().empty()) {
        error = named + ": \"caption\" must be a non-empty text";
        return false;
    } else if (!readText(*caption, page, hostTextUse::any, named + ": \"caption\"", c.caption, error)) {
        return false;
    }
    if (!readEntries(control, named, c, error) || !readProperties(control, named, page, c, error)) {
        return false;
    }
    for (const auto& [name, value] : c.properties) {
        if (const std::string problem = propertyProblem(layout, c, name, value); !problem.empty()) {
            error = named + ": " + problem;
            return false;
        }
    }
    if (!names.insert(c.name).second) {
        error = named + ": the name is used twice";
        return false;
    }
    layout.controls.push_back(std::move(c));
    return true;
}

}  // namespace

layoutResult parseLayout(const std::string& jsonText)
{
    layoutResult result;
    const std::optional<json> parsed = parseJsonText(jsonText, result.error);
    if (!parsed) {
        return result;
    }
    if (!parsed->is_object()) {
        result.error = "a layout must be a JSON object";
        return result;
    }
    codePage page = codePage::windows1252;
    if (!readCodePage(*parsed, page, result.error) ||
        !readText(parsed->value("title", json("")), page, hostTextUse::any, "\"title\"", result.layout.title,
                  result.error)) {
        return result;
    }
    const auto controls = parsed->find("controls");
    if (controls == parsed->end() || !controls->is_array()) {
        result.error = "a layout needs an array \"controls\"";
        return result;
    }
    if (!readStateSheets(*parsed, page, result.layout, result.error)) {
        return result;
    }
    std::unordered_set<std::string> names;
    for (const json& control : *controls) {
        if (!readControl(control, page, result.layout, names, result.error)) {
            return result;
        }
    }
    result.ok = true;
    return result;
}

layoutResult loadLayoutFile(const std::string& path)
{
    layoutResult result;
    const std::optional<std::string> text = readTextFile(path, result.error, "layout file");
    if (!text) {
        std::error_code ignored;
        result.error = std::filesystem::exists(path, ignored)
                           ? result.error
                           : "layout file not found or unreadable: " + shownPath(path);
        return result;
    }
    result = parseLayout(*text);
    if (!result.ok) {
        result.error = "invalid layout file " + shownPath(path) + ": " + result.error;
    }
    return result;
}

namespace {

// Why `folder` is no folder to read layouts from, or "".
std::string folderProblem(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(folder, error);
    if (status.type() == fs::file_type::not_found) {
        return "layouts " + shownPath(folder) + ": no such folder";
    }
    if (error || status.type() != fs::file_type::directory) {
        return "layouts " + shownPath(folder) + ": is not a folder" + (error ? ": " + error.message() : "");
    }
    return {};
}

}  // namespace

layoutFolderResult loadLayoutFolder(const std::string& folder)
{
    namespace fs = std::filesystem;
    layoutFolderResult result;
    result.error = folderProblem(folder);
    if (!result.error.empty()) {
        return result;
    }
    std::error_code error;
    std::vector<std::string> files;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        if (entry->path().extension() == layoutFileExtension) {
            files.push_back(entry->path().string());
        }
    }
    if (error) {
        result.error = "layouts " + shownPath(folder) + ": cannot be read: " + error.message();
        return result;
    }
    std::sort(files.begin(), files.end());
    for (const std::string& file : files) {
        layoutResult loaded = loadLayoutFile(file);
        if (!loaded.ok) {
            result.error = loaded.error;
            result.layouts.clear();
            return result;
        }
        result.layouts.emplace(file, std::move(loaded.layout));
    }
    return result;
}

}  // namespace panel_host
