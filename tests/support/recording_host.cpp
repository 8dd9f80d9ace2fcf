#include "recording_host.h"

#include "script_boundary.h"

#include <algorithm>
#include <cstring>
#include <iterator>

void recordingHost::reserved()
{
    problems_.push_back("the script called the first entry of the host's virtual table");
}

const char* recordingHost::send(const char* text, std::int32_t code)
{
    calls_.push_back({text != nullptr ? text : "", code, text});
    if (code == sendRelease) {
        if (text == nullptr) {
            return nullptr;
        }
        auto issued = std::find_if(replies_.begin(), replies_.end(),
                                   [text](const issuedReply& r) { return r.buffer.get() == text; });
        if (issued == replies_.end()) {
            problems_.push_back("released a pointer the host never gave");
        } else if (++issued->releases > 1) {
            problems_.push_back("released the reply to \"" + issued->command + "\" more than once");
        }
        return nullptr;
    }
    if (code != sendExecute) {
        problems_.push_back("sent code " + std::to_string(code));
        return nullptr;
    }
    const std::string command = text != nullptr ? text : "";
    auto match = std::find_if(rules_.rbegin(), rules_.rend(),
                              [&command](const rule& r) { return command.compare(0, r.prefix.size(), r.prefix) == 0; });
    if (match == rules_.rend() || !match->reply) {
        return nullptr;
    }
    issuedReply issued;
    issued.buffer = std::make_unique<char[]>(match->reply->size() + 1);
    std::memcpy(issued.buffer.get(), match->reply->c_str(), match->reply->size() + 1);
    issued.command = command;
    replies_.push_back(std::move(issued));
    return replies_.back().buffer.get();
}

void recordingHost::answer(const std::string& prefix, std::optional<std::string> reply)
{
    rules_.push_back({prefix, std::move(reply)});
}

std::vector<std::string> recordingHost::commands() const
{
    std::vector<std::string> texts;
    for (const call& c : calls_) {
        if (c.code == sendExecute) {
            texts.push_back(c.text);
        }
    }
    return texts;
}

std::vector<recordingHost::call> recordingHost::releases() const
{
    std::vector<call> released;
    std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(released),
                 [](const call& c) { return c.code == sendRelease; });
    return released;
}

std::vector<std::string> recordingHost::replyProblems() const
{
    std::vector<std::string> all = problems_;
    for (const issuedReply& r : replies_) {
        if (isReadingCommandText(r.command.c_str()) && r.releases == 0) {
            all.push_back("never gave back the reply to \"" + r.command + "\"");
        } else if (!isReadingCommandText(r.command.c_str()) && r.releases > 0) {
            all.push_back("gave back the reply to \"" + r.command + "\", which is not to be given back");
        }
    }
    return all;
}

std::string joinLines(const std::vector<std::string>& lines)
{
    std::string joined;
    for (const std::string& line : lines) {
        joined += line;
        joined += '\n';
    }
    return joined;
}
