#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>

namespace panel_host {

// The one line reader of panel-host: whole lines from a file descriptor
// (a child's channel, standard input) waiting at most a given time for one,
// from a stream, read as lines are taken (a scenario file), or from a text
// already read (a trace file). A line longer than
// `maxLine` bytes is cut there (the rest of it is dropped and `tooLong`
// set); a last line without a line end is still a line.
class lineReader {
public:
    enum class status { line, timeout, end };

    explicit lineReader(int fd, std::size_t maxLine = 1024 * 1024) : fd_(fd), maxLine_(maxLine) {}
    // The lines of `text`.
    static lineReader ofText(std::string text, std::size_t maxLine = std::string::npos);
    // The lines of `in`, which must outlive the reader; only what the next
    // line needs is held.
    static lineReader ofStream(std::istream& in, std::size_t maxLine = std::string::npos);

    // timeoutMs < 0: wait without limit. Interrupted by a signal: timeout.
    status read(int timeoutMs, std::string& line, bool* tooLong = nullptr);
    // The bytes read from the descriptor or stream so far.
    std::uint64_t bytesRead() const { return bytesRead_; }

private:
    bool take(std::string& line, bool* tooLong);
    // Reads what the descriptor has (waiting up to timeoutMs); false on a timeout.
    bool fill(int timeoutMs);

    int fd_;
    std::istream* stream_ = nullptr;
    std::size_t maxLine_;
    std::uint64_t bytesRead_ = 0;
    std::string pending_;  // read, from start_ on not yet taken
    std::size_t start_ = 0;
    bool skipping_ = false;  // dropping the rest of a line that was too long
    bool ended_ = false;
};

}  // namespace panel_host
