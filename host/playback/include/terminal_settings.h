#pragma once

#include <memory>

namespace panel_host {

// The terminal's settings when a watched child starts, put back when a child
// that may have changed them (a line editor) is killed. The platform seam:
//   terminal_settings_posix.cpp    standard input's termios;
//   terminal_settings_windows.cpp  the console's input and output modes.
// Nothing is saved or restored when standard input is no terminal.
class terminalSettings {
public:
    terminalSettings();
    ~terminalSettings();
    terminalSettings(const terminalSettings&) = delete;
    terminalSettings& operator=(const terminalSettings&) = delete;

    // Puts the saved settings back and ends the line the child was on.
    void restore() const;

private:
    struct saved;
    std::unique_ptr<saved> saved_;
};

}  // namespace panel_host
