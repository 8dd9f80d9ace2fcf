#include "transcript_printer.h"

#include "host_text.h"
#include "input_rules.h"
#include "notify_codes.h"

#include <algorithm>
#include <cctype>

namespace panel_host {

void pathNames::add(std::string value, std::string name)
{
    if (value.empty()) {
        return;
    }
    // The value as given comes first: expand() gives it back.
    entries_.emplace_back(value, name);
#if defined(_WIN32)
    // Windows shows a path with either separator, or both.
    for (const auto& [from, to] : {std::pair<char, char>{'/', '\\'}, std::pair<char, char>{'\\', '/'}}) {
        std::string other = value;
        std::replace(other.begin(), other.end(), from, to);
        if (other != value) {
            entries_.emplace_back(std::move(other), name);
        }
    }
#endif
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
}

namespace {
std::string replaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}
}  // namespace

namespace {

bool isSeparator(char c)
{
#if defined(_WIN32)
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

bool isPathCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '_' || c == '-' || isSeparator(c) ||
           c == '~';
}

// Whether `path` stands at `at` of `text` as the start of a path: not inside
// a word, and followed by a separator (or, for a path with a separator in
// it, by the end of the path).
bool isPathPrefixAt(const std::string& text, std::size_t at, const std::string& path)
{
    if (at > 0 && isPathCharacter(text[at - 1])) {
        return false;
    }
    const std::size_t end = at + path.size();
    if (end < text.size() && isSeparator(text[end])) {
        return true;
    }
    const bool hasSeparator = std::any_of(path.begin(), path.end(), isSeparator);
    return hasSeparator && (end == text.size() || !isPathCharacter(text[end]));
}

}  // namespace

std::string pathNames::hide(std::string text) const
{
    for (const auto& [value, name] : entries_) {
        for (std::size_t at = text.find(value); at != std::string::npos; at = text.find(value, at)) {
            if (isPathPrefixAt(text, at, value)) {
                text.replace(at, value.size(), name);
                at += name.size();
            } else {
                ++at;
            }
        }
    }
    return text;
}

std::string pathNames::expand(std::string text) const
{
    for (const auto& [value, name] : entries_) {
        text = replaceAll(std::move(text), name, value);
    }
    return text;
}

std::string showReply(const std::optional<std::string>& reply)
{
    return quotedTextOrNull(reply, std::nullopt);
}

std::string transcriptPrinter::indent() const
{
    return std::string(static_cast<std::size_t>(2 + 2 * depth_), ' ');
}

std::string transcriptPrinter::paint(const char* colour, const std::string& text) const
{
    return style_.colour ? "\033[" + std::string(colour) + "m" + text + "\033[0m" : text;
}

std::string transcriptPrinter::shownMessage(const std::string& text) const
{
    // A module's texts stay on their line and never reach the terminal raw.
    return shownBytes(names_.hide(text), page_);
}

namespace {
constexpr const char* dimColour = "2";
constexpr const char* commandColour = "36";
constexpr const char* replyColour = "32";
constexpr const char* diagnosticColour = "33";
constexpr const char* debugColour = "36";
constexpr const char* breachColour = "1;31";
constexpr const char* notifyColour = "1";
}  // namespace

std::string transcriptPrinter::notificationLine(const notification& n) const
{
    const std::string instance = markInstances_ || n.instance != 1 ? "@" + std::to_string(n.instance) + " " : "";
    return paint(notifyColour, "notify(" + std::to_string(n.code) + ") " + instance + names_.hide(n.describe(page_)));
}

void transcriptPrinter::printBatch()
{
    if (batch_.empty()) {
        return;
    }
    const std::string pad(2, ' ');
    if (batch_.size() == 1) {
        out_ << pad << notificationLine(batch_.front()) << '\n';
    } else {
        std::int32_t low = batch_.front().index;
        std::int32_t high = low;
        bool oneDevice = true;
        bool oneInstance = true;
        for (const notification& n : batch_) {
            low = std::min(low, n.index);
            high = std::max(high, n.index);
            oneDevice = oneDevice && n.device == batch_.front().device;
            oneInstance = oneInstance && n.instance == batch_.front().instance;
        }
        const std::string instance = !markInstances_ ? ""
                                     : oneInstance   ? "@" + std::to_string(batch_.front().instance) + " "
                                                     : "@several ";
        out_ << pad
             << paint(notifyColour, "notify(1) " + instance + std::to_string(batch_.size()) +
                                        " tallies without commands: " +
                                        (oneDevice ? "device " + std::to_string(batch_.front().device)
                                                   : std::string("several devices")) +
                                        ", indexes " + std::to_string(low) + " to " + std::to_string(high))
             << '\n';
    }
    batch_.clear();
}

void transcriptPrinter::openHeldTally()
{
    if (heldTally_) {
        printBatch();
        out_ << std::string(static_cast<std::size_t>(2 * depth_), ' ') << notificationLine(*heldTally_) << '\n';
        heldTally_.reset();
    } else if (depth_ == 0) {
        printBatch();
    }
}

void transcriptPrinter::flush()
{
    openHeldTally();
    printBatch();
}

void transcriptPrinter::stage(const std::string& what)
{
    openHeldTally();
    out_ << indent() << paint(dimColour, "* " + shownMessage(what)) << '\n';
}

void transcriptPrinter::notificationStarting(const notification& n)
{
    if (style_.compactTallies && n.what == notification::kind::tally && depth_ == 0) {
        heldTally_ = n;
        ++depth_;
        return;
    }
    openHeldTally();
    out_ << indent() << notificationLine(n) << '\n';
    ++depth_;
}

void transcriptPrinter::notificationFinished(const notification& n, const char* result)
{
    if (heldTally_ && depth_ == 1) {
        batch_.push_back(*heldTally_);
        heldTally_.reset();
        depth_ = 0;
        return;
    }
    if (n.what == notification::kind::query) {
        const std::optional<std::string> returned = result ? std::optional<std::string>(result) : std::nullopt;
        out_ << indent() << "returns " << paint(replyColour, quotedTextOrNull(returned, page_)) << '\n';
    }
    depth_ = std::max(0, depth_ - 1);
}

void transcriptPrinter::commandSent(const sentCommand& command)
{
    openHeldTally();
    out_ << indent() << "send(" << command.code << ") ";
    const auto reply = [this](const std::optional<std::string>& text) {
        return text ? quotedText(names_.hide(*text), page_) : std::string("null");
    };
    if (command.code == sendExecute) {
        out_ << paint(commandColour,
                      command.textWasNull ? "<null text>" : scenarioText(names_.hide(command.text), page_))
             << " -> " << paint(replyColour, reply(command.reply)) << '\n';
    } else if (command.code == sendRelease && command.textWasNull) {
        out_ << "give back null\n";
    } else if (command.code == sendRelease && !command.releasedReplyOf.empty()) {
        out_ << paint(dimColour, "give back " + reply(command.text) + " (reply to " +
                                     scenarioText(names_.hide(command.releasedReplyOf), page_) + ")")
             << '\n';
    } else if (command.code == sendRelease) {
        out_ << "give back a pointer the host does not know\n";
    } else {
        out_ << "(text not read)\n";
    }
}

void transcriptPrinter::breachFound(const contractBreach& breach)
{
    openHeldTally();
    out_ << indent()
         << paint(breachColour,
                  "!! breach " + std::string(breachKindName(breach.kind)) + ": " + shownMessage(breach.detail))
         << '\n';
}

void transcriptPrinter::diagnostic(const std::string& text)
{
    openHeldTally();
    out_ << indent() << paint(diagnosticColour, "! " + shownMessage(text)) << '\n';
}

namespace {

// A debug text without its last line end ("\n" or "\r\n"), which debugger
// output usually has: the transcript's line ends there instead.
std::string withoutLastLineEnd(std::string text)
{
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
    }
    return text;
}

}  // namespace

void transcriptPrinter::debugOutput(const std::string& text)
{
    openHeldTally();
    out_ << indent() << paint(debugColour, "debug: " + shownMessage(withoutLastLineEnd(text))) << '\n';
}

}  // namespace panel_host
