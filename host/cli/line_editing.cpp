#include "line_editing.h"

#include <algorithm>

namespace panel_host {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The longest text every word starts with.
std::string commonStart(const std::vector<std::string>& words)
{
    std::string common = words.front();
    for (const std::string& word : words) {
        const auto differ = std::mismatch(common.begin(), common.end(), word.begin(), word.end()).first;
        common.erase(differ, common.end());
    }
    return common;
}

}  // namespace

void lineEditing::setCompletions(std::vector<std::string> first, std::vector<std::string> later)
{
    firstWords_ = std::move(first);
    laterWords_ = std::move(later);
}

void lineEditing::setHistory(std::vector<std::string> lines)
{
    history_.clear();
    for (std::string& line : lines) {
        remember(line);
    }
    recalled_ = history_.size();
}

void lineEditing::remember(const std::string& line)
{
    if (line.find_first_not_of(" \t") == std::string::npos || (!history_.empty() && history_.back() == line)) {
        return;
    }
    history_.push_back(line);
    if (history_.size() > maxHistory) {
        history_.erase(history_.begin(), history_.end() - static_cast<std::ptrdiff_t>(maxHistory));
    }
}

void lineEditing::recall(std::size_t index)
{
    if (recalled_ == history_.size()) {
        typed_ = text_;
    }
    recalled_ = index;
    text_ = index == history_.size() ? typed_ : history_[index];
    cursor_ = text_.size();
}

lineEditing::outcome lineEditing::complete()
{
    std::size_t start = cursor_;
    while (start > 0 && !isBlank(text_[start - 1])) {
        --start;
    }
    const std::string word = text_.substr(start, cursor_ - start);
    const bool firstWord = text_.find_first_not_of(" \t") >= start;
    std::vector<std::string> matches;
    for (const std::string& candidate : firstWord ? firstWords_ : laterWords_) {
        if (candidate.compare(0, word.size(), word) == 0 &&
            std::find(matches.begin(), matches.end(), candidate) == matches.end()) {
            matches.push_back(candidate);
        }
    }
    outcome result;
    if (matches.empty()) {
        return result;
    }
    std::string added = commonStart(matches).substr(word.size());
    if (matches.size() == 1) {
        added += ' ';
    }
    if (added.empty()) {
        result.candidates = std::move(matches);
        return result;
    }
    text_.insert(cursor_, added);
    cursor_ += added.size();
    return result;
}

lineEditing::outcome lineEditing::press(key pressed, const std::string& text)
{
    outcome result;
    switch (pressed) {
    case key::text:
        text_.insert(cursor_, text);
        cursor_ += text.size();
        break;
    case key::enter:
        result.done = true;
        result.line = text_;
        remember(text_);
        text_.clear();
        typed_.clear();
        cursor_ = 0;
        recalled_ = history_.size();
        break;
    case key::backspace:
        if (cursor_ > 0) {
            text_.erase(--cursor_, 1);
        }
        break;
    case key::erase:
        if (cursor_ < text_.size()) {
            text_.erase(cursor_, 1);
        }
        break;
    case key::left:
        cursor_ = cursor_ > 0 ? cursor_ - 1 : 0;
        break;
    case key::right:
        cursor_ = cursor_ < text_.size() ? cursor_ + 1 : cursor_;
        break;
    case key::home:
        cursor_ = 0;
        break;
    case key::end:
        cursor_ = text_.size();
        break;
    case key::up:
        if (recalled_ > 0) {
            recall(recalled_ - 1);
        }
        break;
    case key::down:
        if (recalled_ < history_.size()) {
            recall(recalled_ + 1);
        }
        break;
    case key::tab:
        return complete();
    case key::escape:
        text_.clear();
        cursor_ = 0;
        break;
    }
    return result;
}

}  // namespace panel_host
