#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace panel_host {

// What tells one state of a file from another: where it lives (a new inode
// is a file renamed over it), its size and modification time.
struct fileSignature {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;  // the file index on Windows
    std::uint64_t size = 0;
    long long modifiedSeconds = 0;
    long modifiedNanoseconds = 0;

    bool operator==(const fileSignature& other) const;
    bool operator!=(const fileSignature& other) const { return !(*this == other); }
};

// The file's signature now. The platform seam: stat() on POSIX
// (file_signature_posix.cpp), the file's information by handle on Windows
// (file_signature_windows.cpp).
fileSignature signatureOf(const std::string& path);

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
    std::string path_;
    std::chrono::milliseconds settle_;
    fileSignature told_;       // the file as last told (or as first seen)
    fileSignature candidate_;  // the file as last polled
    clock::time_point candidateSince_;
};

}  // namespace panel_host
