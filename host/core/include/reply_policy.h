#pragma once

#include <optional>
#include <string>

namespace panel_host {

// Decides what the emulated host answers to each command. Without a policy
// the host answers what its models say; tools that probe a script (null
// replies, garbage replies) install their own. Called on the host's thread
// for every code 0 send, after the command acted on the models.
class replyPolicy {
public:
    virtual ~replyPolicy() = default;
    // commandText: the text as sent; modelReply: what the models answered
    // (std::nullopt: null). Returns the reply to hand out (std::nullopt: null).
    virtual std::optional<std::string> reply(const std::string& commandText,
                                             const std::optional<std::string>& modelReply) = 0;
};

}  // namespace panel_host
