#pragma once

#include <chrono>
#include <string>

#include <sys/types.h>

namespace panel_host {

// Notices that a file was replaced: renamed over (a new inode) or rewritten
// in place (a new size or modification time). A change is told only once
// the file exists and has stayed the same for `settle`, so that a file still
// being written (a linker at work) is not taken half-done. Polled.
class fileWatch {
public:
    using clock = std::chrono::steady_clock;

    fileWatch(std::string path, std::chrono::milliseconds settle, clock::time_point now);

    // True once for each settled change since the last one told.
    bool replaced(clock::time_point now);

private:
    struct signature {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        long long modifiedSeconds = 0;
        long modifiedNanoseconds = 0;

        bool operator==(const signature& other) const;
        bool operator!=(const signature& other) const { return !(*this == other); }
    };
    signature current() const;

    std::string path_;
    std::chrono::milliseconds settle_;
    signature told_;       // the file as last told (or as first seen)
    signature candidate_;  // the file as last polled
    clock::time_point candidateSince_;
};

}  // namespace panel_host
