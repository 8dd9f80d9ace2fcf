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

// "" when `value` is a text without control characters (tabs allowed).
std::string textProblem(const std::string& value)
{
    const std::size_t bad = findControlCharacter(value, true);
    return bad == std::string::npos ? std::string()
                                    : "\"" + excerpt(value) + "\" holds " + controlCharacterName(value[bad]);
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

bool readStateSheets(const json& root, panelLayout& layout, std::string& error)
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
        if (const std::string problem = nameProblem(sheet.value("name", json())); !problem.empty()) {
            error = where + ": \"name\" " + problem;
            return false;
        }
        const json look = sheet.value("look", json(""));
        if (!look.is_string() || !textProblem(look.get<std::string>()).empty()) {
            error = where + ": \"look\" must be a text without control characters";
            return false;
        }
        if (layout.findStateSheet(sheet["name"].get<std::string>()) != nullptr) {
            error = where + ": the name \"" + sheet["name"].get<std::string>() + "\" is used twice";
            return false;
        }
        layout.stateSheets.push_back({sheet["name"].get<std::string>(), look.get<std::string>()});
    }
    return true;
}

bool readProperties(const json& control, const std::string& where, panelControl& c, std::string& error)
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
        if (!text || name.find('=') != std::string::npos || !nameProblem(json(name)).empty()) {
            error = where + ": property \"" + excerpt(name) + "\" needs a name without '=', apostrophe or " +
                    "control character and a text, number or boolean value";
            return false;
        }
        if (const std::string problem = textProblem(*text); !problem.empty()) {
            error = where + ": the value of property \"" + name + "\" " + problem;
            return false;
        }
        c.properties[name] = *text;
    }
    return true;
}

// `names` holds the names of the controls read so far, so that a layout of
// any size loads in linear time.
bool readControl(const json& control, panelLayout& layout, std::unordered_set<std::string>& names, std::string& error)
{
    const std::string where = "control " + std::to_string(layout.controls.size() + 1);
    if (!control.is_object()) {
        error = where + " must be an object";
        return false;
    }
    if (const std::string problem = nameProblem(control.value("name", json())); !problem.empty()) {
        error = where + ": \"name\" " + problem;
        return false;
    }
    panelControl c;
    c.name = control["name"].get<std::string>();
    const std::string named = where + " \"" + c.name + "\"";
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
    const json caption = control.value("caption", json(c.name));
    if (!caption.is_string() || caption.get<std::string>().empty() ||
        !textProblem(caption.get<std::string>()).empty()) {
        error = named + ": \"caption\" must be a non-empty text without control characters";
        return false;
    }
    c.caption = caption.get<std::string>();
    if (!readEntries(control, named, c, error) || !readProperties(control, named, c, error)) {
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
    const json title = parsed->value("title", json(""));
    const auto controls = parsed->find("controls");
    if (!title.is_string() || !textProblem(title.get<std::string>()).empty()) {
        result.error = "\"title\" must be a text without control characters";
        return result;
    }
    result.layout.title = title.get<std::string>();
    if (controls == parsed->end() || !controls->is_array()) {
        result.error = "a layout needs an array \"controls\"";
        return result;
    }
    if (!readStateSheets(*parsed, result.layout, result.error)) {
        return result;
    }
    std::unordered_set<std::string> names;
    for (const json& control : *controls) {
        if (!readControl(control, result.layout, names, result.error)) {
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
