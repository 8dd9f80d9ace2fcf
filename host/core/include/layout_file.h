#pragma once

#include "panel_model.h"

#include <string>

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
