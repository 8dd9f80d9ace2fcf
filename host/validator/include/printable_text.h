#pragma once

#include <string>

namespace panel_host {

// `text` with every byte a terminal, JSON or XML report cannot carry as it is
// (control characters other than newline and tab, and bytes from 0x7F up)
// written as \xNN, and cut to at most `limit` bytes with a note of how much
// was left out. Module texts reach reports only through this.
std::string printableText(const std::string& text, std::size_t limit = 2000);

}  // namespace panel_host
