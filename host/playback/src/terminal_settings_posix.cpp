#include "terminal_settings.h"

#include <termios.h>
#include <unistd.h>

#include <iostream>

namespace panel_host {

struct terminalSettings::saved {
    termios settings{};
};

terminalSettings::terminalSettings()
{
    auto kept = std::make_unique<saved>();
    if (::isatty(STDIN_FILENO) != 0 && ::tcgetattr(STDIN_FILENO, &kept->settings) == 0) {
        saved_ = std::move(kept);
    }
}

terminalSettings::~terminalSettings() = default;

void terminalSettings::restore() const
{
    if (saved_) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &saved_->settings);
        std::cerr << '\n';
    }
}

}  // namespace panel_host
