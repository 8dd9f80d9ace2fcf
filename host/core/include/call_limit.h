#pragma once

#include <chrono>

namespace panel_host {

// The longest one call into the module (its export, one notify) may take
// in a watched child unless --timeout says otherwise.
constexpr std::chrono::milliseconds defaultCallLimit{10000};

}  // namespace panel_host
