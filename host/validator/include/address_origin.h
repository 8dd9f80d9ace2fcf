#pragma once

#include <optional>
#include <string>

namespace panel_host {

// The file of the loaded executable or shared library whose image holds
// `address` (its code or static data), or nothing when no loaded image holds
// it (heap and stack memory). The one platform seam for this question.
std::optional<std::string> imageHolding(const void* address);

}  // namespace panel_host
