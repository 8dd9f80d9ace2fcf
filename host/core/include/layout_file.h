#pragma once

#include "panel_model.h"

#include <map>
#include <string>

namespace panel_host {

// Panel layout files (JSON, format in host/README.md).
struct layoutResult {
    bool ok = false;
    std::string error;  // set when !ok: what is wrong and where
    panelLayout layout;
};

// Reads and checks a layout text; never throws.
layoutResult parseLayout(const std::string& jsonText);
// Reads and checks the layout file at path; never throws.
layoutResult loadLayoutFile(const std::string& path);

// The extension of the layout files in a layout folder.
inline constexpr const char* layoutFileExtension = ".morv_ui";

// The layout files of a layout folder, read and checked.
struct layoutFolderResult {
    // Why the folder cannot be used: missing, not a folder, or a layout
    // file in it that is not valid (the first, by name); "" when it can.
    std::string error;
    std::map<std::string, panelLayout> layouts;  // by path (folder/name)
};
layoutFolderResult loadLayoutFolder(const std::string& folder);

}  // namespace panel_host
