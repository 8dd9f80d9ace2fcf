#include "bench_host.h"

#include "notify_codes.h"

#include <cstring>

namespace {
const char deviceReply[] = "3 0";
const char nameReply[] = "Mic 7";
}  // namespace

const char* benchHost::send(const char* text, std::int32_t code)
{
    if (code == sendRelease) {
        if (text != nullptr) {
            --repliesOutstanding_;
        }
        if (recording_) {
            hashText("<release>", '\n');
        }
        return nullptr;
    }
    if (code != sendExecute || text == nullptr) {
        ++badCalls_;
        return nullptr;
    }
    ++commands_;
    if (recording_) {
        bytes_ += std::strlen(text);
        hashText(text, '\n');
    }
    if (text[0] == 'S' && text[1] == 'D') {
        ++repliesOutstanding_;
        return deviceReply;
    }
    if (text[0] == 'R' && text[1] == 'N') {
        ++repliesOutstanding_;
        return nameReply;
    }
    return nullptr;
}

void benchHost::hashText(const char* text, char terminator)
{
    for (const char* p = text; *p != '\0'; ++p) {
        hash_ = (hash_ ^ static_cast<unsigned char>(*p)) * 1099511628211ULL;
    }
    hash_ = (hash_ ^ static_cast<unsigned char>(terminator)) * 1099511628211ULL;
}
