#pragma once

#include "script_host.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A script_host for tests: records every send() in order, answers commands
// from a per-test list of rules, and checks that the script gives back the
// replies of reading commands exactly once and no others.
class recordingHost : public script_host {
public:
    struct call {
        std::string text;  // the text sent ("" for a null release)
        std::int32_t code;
        const char* pointer;  // the pointer as sent
    };

    recordingHost() = default;
    recordingHost(const recordingHost&) = delete;
    recordingHost& operator=(const recordingHost&) = delete;
    virtual ~recordingHost() = default;

    void reserved() override;
    const char* send(const char* text, std::int32_t code) override;

    // Commands whose text starts with `prefix` are answered with `reply`
    // (std::nullopt: null). The rule added last wins. Without a matching rule
    // a command is answered with null.
    void answer(const std::string& prefix, std::optional<std::string> reply);
    // Calls in order, codes included.
    const std::vector<call>& calls() const { return calls_; }
    // Texts of the code 0 calls, in order.
    std::vector<std::string> commands() const;
    // The code 5 calls, in order, null releases included.
    std::vector<call> releases() const;
    // Forget the calls so far (the rules stay).
    void clearCalls() { calls_.clear(); }

    // Every breach of the reply rules seen so far, as readable lines: a code
    // other than 0 and 5, a release of a pointer never given or already
    // given back, a reading reply ("SD", "TG", "XI", "RN") never given back,
    // any other reply given back. Empty when the script kept the rules.
    std::vector<std::string> replyProblems() const;

private:
    struct rule {
        std::string prefix;
        std::optional<std::string> reply;
    };
    struct issuedReply {
        std::unique_ptr<char[]> buffer;
        std::string command;
        int releases = 0;
    };

    std::vector<rule> rules_;
    std::vector<call> calls_;
    std::vector<issuedReply> replies_;
    std::vector<std::string> problems_;
};

// The commands as one text, one per line, so that a failed comparison shows
// the whole sequence received next to the one expected.
std::string joinLines(const std::vector<std::string>& lines);
