#include "probing_replies.h"

#include "command_text.h"

namespace panel_host {

std::optional<std::string> nullReplies::reply(const std::string&, const std::optional<std::string>&)
{
    return std::nullopt;
}

garbageReplies::garbageReplies()
{
    std::string manyTokens;
    for (int i = 0; i < 40; ++i) {
        manyTokens += "7 ";
    }
    garbage_ = {"",
                " ",
                "'",
                "''",
                "=",
                "==",
                "garbage",
                "-1",
                "2147483648",
                "99999999999999999999",
                "0 'unclosed",
                "1 'B4 Audio Router' 7 8 9",
                "\x7F\x80\xFF\xFE",
                std::string(5000, 'g'),
                manyTokens,
                "all=1,2,3",
                "%1%2%3%s%n%d",
                "\t1\t'x'"};
}

std::optional<std::string> garbageReplies::reply(const std::string& commandText,
                                                 const std::optional<std::string>& modelReply)
{
    const commandParse parsed = parseCommandText(commandText);
    if (!parsed.ok || !isReadingCommand(parsed.command.code)) {
        return modelReply;
    }
    const std::string& text = garbage_[next_];
    next_ = (next_ + 1) % garbage_.size();
    return text;
}

}  // namespace panel_host
