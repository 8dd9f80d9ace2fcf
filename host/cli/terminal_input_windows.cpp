// The terminal seam on the Windows console: its keys are read one at a time
// (ReadConsoleInput, with the console's own line editing off), so that
// timers keep running while a line is typed; lineEditing edits the line,
// recalls the history (kept in %USERPROFILE%\.panel_host_history) and
// completes the language's words and the panel's control names. Ctrl-C
// comes as the console's control event and ends the session; Ctrl-Z or
// Ctrl-D on an empty line ends the input.
#include "terminal_input.h"

#include "line_editing.h"
#include "terminal_history.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <system_error>

namespace panel_host {

namespace {

volatile LONG interrupted = 0;

BOOL WINAPI onInterrupt(DWORD event)
{
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        InterlockedExchange(&interrupted, 1);
        return TRUE;
    }
    return FALSE;
}

// The history file, in the user's profile (or HOME, where one is set).
std::string historyFile()
{
    const char* home = std::getenv("USERPROFILE");
    return terminalHistoryFile(home != nullptr && *home != '\0' ? home : std::getenv("HOME"));
}

std::vector<std::string> readHistory(const std::string& file)
{
    std::vector<std::string> lines;
    std::ifstream in(file, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

void writeHistory(const std::string& file, const std::vector<std::string>& lines)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    for (const std::string& line : lines) {
        out << line << "\r\n";
    }
}

// The editing key a console key event stands for, if any.
bool editingKey(const KEY_EVENT_RECORD& event, lineEditing::key& pressed)
{
    switch (event.wVirtualKeyCode) {
    case VK_RETURN:
        pressed = lineEditing::key::enter;
        return true;
    case VK_BACK:
        pressed = lineEditing::key::backspace;
        return true;
    case VK_DELETE:
        pressed = lineEditing::key::erase;
        return true;
    case VK_LEFT:
        pressed = lineEditing::key::left;
        return true;
    case VK_RIGHT:
        pressed = lineEditing::key::right;
        return true;
    case VK_HOME:
        pressed = lineEditing::key::home;
        return true;
    case VK_END:
        pressed = lineEditing::key::end;
        return true;
    case VK_UP:
        pressed = lineEditing::key::up;
        return true;
    case VK_DOWN:
        pressed = lineEditing::key::down;
        return true;
    case VK_TAB:
        pressed = lineEditing::key::tab;
        return true;
    case VK_ESCAPE:
        pressed = lineEditing::key::escape;
        return true;
    default:
        return false;
    }
}

// A typed character in the console's input code page, as a line read from
// it would hold it.
std::string inputBytes(wchar_t character)
{
    char bytes[8] = {};
    const int count =
        WideCharToMultiByte(GetConsoleCP(), 0, &character, 1, bytes, static_cast<int>(sizeof bytes), nullptr, nullptr);
    return count > 0 ? std::string(bytes, static_cast<std::size_t>(count)) : std::string();
}

}  // namespace

struct terminalInput::state {
    std::string prompt;
    HANDLE console = nullptr;
    DWORD savedMode = 0;
    lineEditing editing;
    std::size_t shown = 0;  // the width of what the last redraw wrote
    bool ended = false;
    std::string historyFile;

    // Writes the prompt and the line over what is shown, and puts the cursor
    // where it is in the line.
    void redraw()
    {
        const std::string line = prompt + editing.text();
        std::string text = "\r" + line;
        if (shown > line.size()) {
            text += std::string(shown - line.size(), ' ') + std::string(shown - line.size(), '\b');
        }
        text += std::string(editing.text().size() - editing.cursor(), '\b');
        shown = line.size();
        std::cout << text << std::flush;
    }

    // Empties the line on the screen, leaving the cursor at its start.
    void clear()
    {
        std::cout << '\r' << std::string(shown, ' ') << '\r' << std::flush;
        shown = 0;
    }
};

bool terminalInput::isTerminal()
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

terminalInput::terminalInput(std::string prompt) : state_(std::make_unique<state>())
{
    state_->prompt = std::move(prompt);
    state_->console = GetStdHandle(STD_INPUT_HANDLE);
    GetConsoleMode(state_->console, &state_->savedMode);
    // Keys one at a time, unechoed; Ctrl-C stays the console's control event.
    SetConsoleMode(state_->console,
                   ENABLE_PROCESSED_INPUT | ENABLE_EXTENDED_FLAGS | (state_->savedMode & ENABLE_QUICK_EDIT_MODE));
    InterlockedExchange(&interrupted, 0);
    SetConsoleCtrlHandler(onInterrupt, TRUE);
    state_->historyFile = historyFile();
    if (!state_->historyFile.empty()) {
        state_->editing.setHistory(readHistory(state_->historyFile));
    }
    state_->redraw();
}

terminalInput::~terminalInput()
{
    if (!state_->historyFile.empty()) {
        writeHistory(state_->historyFile, state_->editing.history());
    }
    SetConsoleCtrlHandler(onInterrupt, FALSE);
    SetConsoleMode(state_->console, state_->savedMode);
    std::cout << '\n' << std::flush;
}

void terminalInput::setCompletions(std::vector<std::string> first, std::vector<std::string> later)
{
    state_->editing.setCompletions(std::move(first), std::move(later));
}

terminalInput::status terminalInput::readLine(int timeoutMs, std::string& line)
{
    const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        if (state_->ended || InterlockedCompareExchange(&interrupted, 0, 0) != 0) {
            return status::end;
        }
        const ULONGLONG now = GetTickCount64();
        // Short waits, so that Ctrl-C (on a thread of its own) is seen soon.
        const DWORD wait = now >= until ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(until - now, 50));
        if (WaitForSingleObject(state_->console, wait) != WAIT_OBJECT_0) {
            if (now >= until) {
                return status::timeout;
            }
            continue;
        }
        INPUT_RECORD record{};
        DWORD read = 0;
        if (ReadConsoleInputW(state_->console, &record, 1, &read) == 0) {
            state_->ended = true;
            return status::end;
        }
        if (read == 0 || record.EventType != KEY_EVENT || record.Event.KeyEvent.bKeyDown == 0) {
            continue;
        }
        const KEY_EVENT_RECORD& key = record.Event.KeyEvent;
        const wchar_t character = key.uChar.UnicodeChar;
        lineEditing::key pressed = lineEditing::key::text;
        std::string typed;
        if ((character == 4 || character == 26) && state_->editing.text().empty()) {
            state_->ended = true;  // Ctrl-D, Ctrl-Z: the end of the input
            return status::end;
        }
        if (!editingKey(key, pressed)) {
            if (character < 0x20) {
                continue;
            }
            typed = inputBytes(character);
        }
        for (WORD repeat = 0; repeat < std::max<WORD>(key.wRepeatCount, 1); ++repeat) {
            const lineEditing::outcome outcome = state_->editing.press(pressed, typed);
            if (!outcome.candidates.empty()) {
                std::string list;
                for (const std::string& candidate : outcome.candidates) {
                    list += candidate + "  ";
                }
                printAbove(list + "\n");
            }
            if (outcome.done) {
                std::cout << "\r\n" << std::flush;
                state_->shown = 0;
                line = outcome.line;
                return status::line;
            }
        }
        state_->redraw();
    }
}

void terminalInput::printAbove(const std::string& text)
{
    state_->clear();
    std::cout << text << std::flush;
    state_->redraw();
}

void terminalInput::showPrompt()
{
    state_->shown = 0;
    state_->redraw();
}

}  // namespace panel_host
