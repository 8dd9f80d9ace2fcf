#include "printable_text.h"

#include "input_rules.h"

namespace panel_host {

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
