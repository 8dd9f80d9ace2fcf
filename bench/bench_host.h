#pragma once

#include "script_host.h"

#include <cstdint>

// The host of the benchmark: as little as a host can do. It answers "SD"
// with "3 0" (the router is device 3) and "RN" with a short name, every other
// command with null, and counts the commands and the replies given back.
// Recording adds the bytes of command text and an FNV-1a hash of everything
// sent, in order (releases included), so that a run can prove that the module
// still sends the same bytes in the same order; it costs instructions, so
// the measured runs leave it off.
class benchHost : public script_host {
public:
    static constexpr std::int32_t routerDevice = 3;

    explicit benchHost(bool recording) : recording_(recording) {}
    benchHost(const benchHost&) = delete;
    benchHost& operator=(const benchHost&) = delete;
    virtual ~benchHost() = default;

    void reserved() override {}
    const char* send(const char* text, std::int32_t code) override;

    std::uint64_t commands() const { return commands_; }
    // Recording only: bytes of command text and the hash of everything sent.
    std::uint64_t bytes() const { return bytes_; }
    std::uint64_t hash() const { return hash_; }
    // Replies that need giving back ("SD", "RN") minus those given back.
    std::int64_t repliesOutstanding() const { return repliesOutstanding_; }
    // Calls that broke the host's rules: a code other than 0 and 5, a null
    // command text.
    std::uint64_t badCalls() const { return badCalls_; }

private:
    void hashText(const char* text, char terminator);

    bool recording_;
    std::uint64_t commands_ = 0;
    std::uint64_t bytes_ = 0;
    std::uint64_t hash_ = 14695981039346656037ULL;
    std::int64_t repliesOutstanding_ = 0;
    std::uint64_t badCalls_ = 0;
};
