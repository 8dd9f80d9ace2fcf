#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace panel_host {

// The line being typed at a terminal that gives panel-host its keys one at
// a time (the Windows console): the text and the cursor, the history of
// typed lines, and completion of the language's words. It only edits; the
// terminal seam reads the keys and shows the line (terminal_input_windows.cpp).
class lineEditing {
public:
    enum class key {
        text,       // a character, given as its bytes
        enter,      // the line is done
        backspace,  // the character before the cursor goes
        erase,      // the character under the cursor goes (Delete)
        left,
        right,
        home,
        end,
        up,      // the line before in the history
        down,    // the line after in the history
        tab,     // completes the word before the cursor
        escape,  // the line is emptied
    };

    // What a key did.
    struct outcome {
        bool done = false;                    // enter: `line` is the typed line
        std::string line;                     // the whole line, when done
        std::vector<std::string> candidates;  // tab with several words and nothing to add: these
    };

    // The words completion offers: the first word of a line from `first`,
    // later words from `later`.
    void setCompletions(std::vector<std::string> first, std::vector<std::string> later);
    // Lines typed before (the history file), oldest first.
    void setHistory(std::vector<std::string> lines);
    // The history, oldest first: every line typed that is not blank and not
    // the one before again, at most `maxHistory`.
    const std::vector<std::string>& history() const { return history_; }

    outcome press(key pressed, const std::string& text = {});

    const std::string& text() const { return text_; }
    // The cursor's place in text(), in bytes.
    std::size_t cursor() const { return cursor_; }

    static constexpr std::size_t maxHistory = 500;

private:
    void recall(std::size_t index);
    outcome complete();
    void remember(const std::string& line);

    std::string text_;
    std::size_t cursor_ = 0;
    std::vector<std::string> history_;
    std::size_t recalled_ = 0;  // history_.size(): the line being typed
    std::string typed_;         // that line, kept while the history is shown
    std::vector<std::string> firstWords_;
    std::vector<std::string> laterWords_;
};

}  // namespace panel_host
