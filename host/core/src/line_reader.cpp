#include "line_reader.h"

#include "input_wait.h"

#include <cerrno>

namespace panel_host {

lineReader lineReader::ofText(std::string text, std::size_t maxLine)
{
    lineReader reader(-1, maxLine);
    reader.pending_ = std::move(text);
    reader.ended_ = true;
    return reader;
}

lineReader lineReader::ofStream(std::istream& in, std::size_t maxLine)
{
    lineReader reader(-1, maxLine);
    reader.stream_ = &in;
    return reader;
}

bool lineReader::take(std::string& line, bool* tooLong)
{
    for (;;) {
        const std::size_t end = pending_.find('\n', start_);
        const std::size_t lineEnd = end == std::string::npos ? pending_.size() : end;
        const std::size_t next = end == std::string::npos ? pending_.size() : end + 1;
        if (skipping_) {
            // The rest of a line that was cut: dropped up to its line end.
            start_ = next;
            skipping_ = end == std::string::npos && !ended_;
            if (skipping_ || start_ >= pending_.size()) {
                return false;
            }
            continue;
        }
        const std::size_t length = lineEnd - start_;
        const bool whole = end != std::string::npos || (ended_ && length > 0);
        if (!whole && length <= maxLine_) {
            return false;
        }
        const bool cut = length > maxLine_;
        line.assign(pending_, start_, cut ? maxLine_ : length);
        start_ = cut && end == std::string::npos ? pending_.size() : next;
        skipping_ = cut && end == std::string::npos && !ended_;
        if (tooLong != nullptr) {
            *tooLong = cut;
        }
        return true;
    }
}

bool lineReader::fill(int timeoutMs)
{
    pending_.erase(0, start_);
    start_ = 0;
    if (stream_ != nullptr) {
        char buffer[65536];
        stream_->read(buffer, sizeof buffer);
        const auto count = static_cast<std::size_t>(stream_->gcount());
        pending_.append(buffer, count);
        bytesRead_ += count;
        ended_ = count < sizeof buffer;
        return true;
    }
    if (!waitForInput({fd_}, timeoutMs)) {
        return false;
    }
    char buffer[8192];
    const long count = readInput(fd_, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) {
        return false;
    }
    if (count <= 0) {
        ended_ = true;
    } else {
        pending_.append(buffer, static_cast<std::size_t>(count));
        bytesRead_ += static_cast<std::uint64_t>(count);
    }
    return true;
}

lineReader::status lineReader::read(int timeoutMs, std::string& line, bool* tooLong)
{
    for (;;) {
        if (take(line, tooLong)) {
            return status::line;
        }
        if (ended_ || (fd_ < 0 && stream_ == nullptr)) {
            return status::end;
        }
        if (!fill(timeoutMs)) {
            return status::timeout;
        }
    }
}

}  // namespace panel_host
