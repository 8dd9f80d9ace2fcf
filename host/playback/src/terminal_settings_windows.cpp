#include "terminal_settings.h"

#include <windows.h>

#include <iostream>

namespace panel_host {

struct terminalSettings::saved {
    DWORD inputMode = 0;
    DWORD outputMode = 0;
    bool output = false;
};

terminalSettings::terminalSettings()
{
    auto kept = std::make_unique<saved>();
    if (GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &kept->inputMode) != 0) {
        kept->output = GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &kept->outputMode) != 0;
        saved_ = std::move(kept);
    }
}

terminalSettings::~terminalSettings() = default;

void terminalSettings::restore() const
{
    if (saved_) {
        SetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), saved_->inputMode);
        if (saved_->output) {
            SetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), saved_->outputMode);
        }
        std::cerr << '\n';
    }
}

}  // namespace panel_host
