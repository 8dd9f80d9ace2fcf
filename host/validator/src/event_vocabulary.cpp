#include "event_vocabulary.h"

#include "layout_file.h"
#include "panel_model.h"

#include <algorithm>
#include <filesystem>
#include <set>

namespace panel_host {

namespace {

// A control name no layout uses: scripts must ignore events of controls they
// do not know.
constexpr const char* strayControl = "NoSuchControl";

std::vector<std::string> filesIn(const std::string& folder)
{
    std::vector<std::string> files;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->is_regular_file(error)) {
            files.push_back(it->path().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

std::vector<std::string> eventVocabulary::controlsOfKind(controlKind kind) const
{
    std::vector<std::string> names;
    for (const control& c : controls) {
        if (c.kind == kind) {
            names.push_back(c.name);
        }
    }
    return names;
}

eventVocabulary buildVocabulary(const std::string& layoutFolder, const std::vector<routerDevice>& devices)
{
    eventVocabulary vocabulary;
    vocabulary.panels = {operatorPanel, "2"};
    std::set<std::string> seen;
    for (const std::string& file : filesIn(layoutFolder)) {
        const layoutResult layout = loadLayoutFile(file);
        if (!layout.ok) {
            continue;
        }
        for (const panelControl& c : layout.layout.controls) {
            if (seen.insert(c.name).second) {
                vocabulary.controls.push_back({c.name, c.kind});
            }
        }
    }
    if (seen.count(strayControl) == 0) {
        vocabulary.controls.push_back({strayControl, controlKind::button});
    }
    for (const routerDevice& d : devices) {
        vocabulary.devices.push_back({d.number, d.sourceCount(), d.destinationCount()});
    }
    return vocabulary;
}

}  // namespace panel_host
