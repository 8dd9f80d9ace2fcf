#include "transcript_printer.h"

#include <algorithm>

void pathNames::add(std::string value, std::string name)
{
    if (value.empty()) {
        return;
    }
    entries_.emplace_back(std::move(value), std::move(name));
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

std::string pathNames::hide(std::string text) const
{
    for (const auto& [value, name] : entries_) {
        text = replaceAll(std::move(text), value, name);
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
    return reply ? "\"" + *reply + "\"" : "null";
}

std::string transcriptPrinter::indent() const
{
    return std::string(static_cast<std::size_t>(2 + 2 * depth_), ' ');
}

void transcriptPrinter::stage(const std::string& what)
{
    out_ << indent() << "* " << names_.hide(what) << '\n';
}

void transcriptPrinter::notificationStarting(const notification& n)
{
    out_ << indent() << "notify(" << n.code << ") " << names_.hide(n.describe()) << '\n';
    ++depth_;
}

void transcriptPrinter::notificationFinished(const notification& n, const char* result)
{
    if (n.what == notification::kind::query) {
        out_ << indent() << "returns " << showReply(result ? std::optional<std::string>(result) : std::nullopt)
             << '\n';
    }
    depth_ = std::max(0, depth_ - 1);
}

void transcriptPrinter::commandSent(const sentCommand& command)
{
    out_ << indent() << "send(" << command.code << ") ";
    if (command.code == 0) {
        out_ << (command.textWasNull ? "<null text>" : names_.hide(command.text)) << " -> "
             << names_.hide(showReply(command.reply)) << '\n';
    } else if (command.code == 5 && command.textWasNull) {
        out_ << "give back null\n";
    } else if (command.code == 5 && !command.releasedReplyOf.empty()) {
        out_ << "give back " << showReply(command.text) << " (reply to " << names_.hide(command.releasedReplyOf)
             << ")\n";
    } else if (command.code == 5) {
        out_ << "give back a pointer the host does not know\n";
    } else {
        out_ << "(text not read)\n";
    }
}

void transcriptPrinter::breachFound(const contractBreach& breach)
{
    out_ << indent() << "!! breach " << breachKindName(breach.kind) << ": " << names_.hide(breach.detail) << '\n';
}

void transcriptPrinter::diagnostic(const std::string& text)
{
    out_ << indent() << "! " << names_.hide(text) << '\n';
}
