// The terminal seam with libedit: line editing, history (kept in
// ~/.panel_host_history) and completion of the language's words and the
// panel's control names, through libedit's readline interface in callback
// mode so that timers keep running while a line is typed. POSIX only.
#include "terminal_input.h"

#include "terminal_history.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <system_error>
#include <iostream>

#include <poll.h>
#include <unistd.h>

#include <editline/readline.h>

namespace panel_host {

namespace {

// libedit's callback interface has one handler and one completion function
// for the process: their state lives here.
std::deque<std::string> typedLines;
bool inputEnded = false;
std::vector<std::string> firstWords;
std::vector<std::string> laterWords;
volatile std::sig_atomic_t interrupted = 0;
// The lines the history holds, in the session and in its file.
constexpr int keptHistoryLines = 500;

void lineTyped(char* line)
{
    if (line == nullptr) {
        inputEnded = true;
        return;
    }
    if (*line != '\0') {
        add_history(line);
    }
    typedLines.emplace_back(line);
    std::free(line);
}

const std::vector<std::string>* completing = nullptr;

char* nextCompletion(const char* text, int state)
{
    static std::size_t next = 0;
    if (state == 0) {
        next = 0;
    }
    const std::size_t length = std::strlen(text);
    while (completing != nullptr && next < completing->size()) {
        const std::string& word = (*completing)[next++];
        if (word.compare(0, length, text) == 0) {
            return strdup(word.c_str());
        }
    }
    return nullptr;
}

char** complete(const char* text, int start, int)
{
    completing = start == 0 ? &firstWords : &laterWords;
    return rl_completion_matches(text, nextCompletion);
}

void onInterrupt(int)
{
    interrupted = 1;
}

std::string historyFile()
{
    return terminalHistoryFile(std::getenv("HOME"));
}

}  // namespace

struct terminalInput::state {
    std::string prompt;
    struct sigaction previousInterrupt {};
};

bool terminalInput::isTerminal()
{
    return isatty(STDIN_FILENO) != 0;
}

terminalInput::terminalInput(std::string prompt) : state_(std::make_unique<state>())
{
    state_->prompt = std::move(prompt);
    typedLines.clear();
    inputEnded = false;
    interrupted = 0;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &state_->previousInterrupt);
    using_history();
    // Older lines make way for new ones, however long the session.
    stifle_history(keptHistoryLines);
    if (const std::string file = historyFile(); !file.empty()) {
        read_history(file.c_str());
    }
    rl_attempted_completion_function = complete;
    rl_callback_handler_install(state_->prompt.c_str(), lineTyped);
}

terminalInput::~terminalInput()
{
    rl_callback_handler_remove();
    if (const std::string file = historyFile(); !file.empty()) {
        write_history(file.c_str());
    }
    sigaction(SIGINT, &state_->previousInterrupt, nullptr);
    std::fputs("\n", stdout);
    std::fflush(stdout);
}

void terminalInput::setCompletions(std::vector<std::string> first, std::vector<std::string> later)
{
    firstWords = std::move(first);
    laterWords = std::move(later);
}

terminalInput::status terminalInput::readLine(int timeoutMs, std::string& line)
{
    if (!typedLines.empty()) {
        line = std::move(typedLines.front());
        typedLines.pop_front();
        return status::line;
    }
    if (inputEnded || interrupted != 0) {
        return status::end;
    }
    pollfd input{STDIN_FILENO, POLLIN, 0};
    const int ready = poll(&input, 1, timeoutMs);
    if (ready < 0 && errno == EINTR) {
        return interrupted != 0 ? status::end : status::timeout;
    }
    if (ready > 0) {
        if ((input.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0 && (input.revents & POLLIN) == 0) {
            inputEnded = true;
            return status::end;
        }
        rl_callback_read_char();
    }
    if (!typedLines.empty()) {
        line = std::move(typedLines.front());
        typedLines.pop_front();
        return status::line;
    }
    return inputEnded || interrupted != 0 ? status::end : status::timeout;
}

void terminalInput::printAbove(const std::string& text)
{
    std::fflush(stdout);
    std::cout << "\r\033[K" << text << std::flush;
    rl_forced_update_display();
    std::fflush(stdout);
}

void terminalInput::showPrompt()
{
    // libedit starts the next line (and shows its prompt) only with the next
    // key; installing the handler anew starts it now.
    std::cout << std::flush;
    rl_callback_handler_remove();
    rl_callback_handler_install(state_->prompt.c_str(), lineTyped);
    std::fflush(stdout);
}

}  // namespace panel_host
