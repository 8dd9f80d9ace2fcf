#pragma once

#include "reply_policy.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace panel_host {

// A host that answers null to every command.
class nullReplies final : public replyPolicy {
public:
    std::optional<std::string> reply(const std::string& commandText,
                                     const std::optional<std::string>& modelReply) override;
};

// A host that answers garbage to every reading command ("SD", "TG", "XI",
// "RN"): empty and blank texts, stray quotes and '=', huge numbers, bytes
// above 0x7F, a very long text, more tokens than a decoder keeps. The texts
// come in a fixed order, so a run is reproducible. Other commands get the
// model's reply.
class garbageReplies final : public replyPolicy {
public:
    garbageReplies();
    std::optional<std::string> reply(const std::string& commandText,
                                     const std::optional<std::string>& modelReply) override;

private:
    std::vector<std::string> garbage_;
    std::size_t next_ = 0;
};

}  // namespace panel_host
