#include "session_recorder.h"

#include "address_origin.h"
#include "printable_text.h"

namespace panel_host {

void sessionRecorder::notificationStarting(const notification& n)
{
    calls_.push_back({n, 0, nullptr, std::nullopt, std::nullopt, step_});
    inCall_ = true;
    transcript_.push_back("notify " + printableText(n.describe(), 200));
}

void sessionRecorder::notificationFinished(const notification&, const char* result)
{
    inCall_ = false;
    if (calls_.empty() || result == nullptr) {
        return;
    }
    calls_.back().result = result;
    calls_.back().resultText = std::string(result);
    calls_.back().resultImage = imageHolding(result);
    transcript_.push_back("returned '" + printableText(result, 200) + "'");
}

void sessionRecorder::commandSent(const sentCommand& command)
{
    sends_.push_back({command.code, command.text, command.textWasNull, command.releasedReplyOf, step_, unloading_});
    if (inCall_ && !calls_.empty()) {
        ++calls_.back().sends;
    }
    std::string line = "send " + std::to_string(command.code);
    if (command.code == 0) {
        line += " " + printableText(command.text, 200) + " => " +
                (command.reply ? "'" + printableText(*command.reply, 200) + "'" : std::string("null"));
    } else if (command.code == 5) {
        line += command.textWasNull               ? " null"
                : command.releasedReplyOf.empty() ? " a pointer this host never handed out"
                                                  : " the reply to " + printableText(command.releasedReplyOf, 200);
    }
    transcript_.push_back(line);
}

void sessionRecorder::breachFound(const contractBreach& breach)
{
    breaches_.push_back({breach, step_, unloading_});
    transcript_.push_back(std::string("breach ") + breachKindName(breach.kind) + ": " +
                          printableText(breach.detail, 200));
}

void sessionRecorder::diagnostic(const std::string& text)
{
    diagnostics_.push_back({text, step_, unloading_});
}

}  // namespace panel_host
