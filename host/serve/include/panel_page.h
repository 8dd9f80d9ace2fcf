#pragma once

#include <string>

namespace panel_host {

// The page `panel-host serve` shows at "/": one self-contained HTML file
// (host/serve/web/panel.html) with its styles and script, built into the
// program.
const std::string& panelPage();

}  // namespace panel_host
