#include "file_watch.h"

#include <sys/stat.h>

#include <tuple>
#include <utility>

namespace panel_host {

bool fileWatch::signature::operator==(const signature& other) const
{
    return std::tie(exists, device, inode, size, modifiedSeconds, modifiedNanoseconds) ==
           std::tie(other.exists, other.device, other.inode, other.size, other.modifiedSeconds,
                    other.modifiedNanoseconds);
}

fileWatch::fileWatch(std::string path, std::chrono::milliseconds settle, clock::time_point now)
    : path_(std::move(path)), settle_(settle), told_(current()), candidate_(told_), candidateSince_(now)
{
}

fileWatch::signature fileWatch::current() const
{
    struct stat status {};
    signature seen;
    if (stat(path_.c_str(), &status) != 0) {
        return seen;
    }
    seen.exists = true;
    seen.device = status.st_dev;
    seen.inode = status.st_ino;
    seen.size = status.st_size;
    seen.modifiedSeconds = status.st_mtim.tv_sec;
    seen.modifiedNanoseconds = status.st_mtim.tv_nsec;
    return seen;
}

bool fileWatch::replaced(clock::time_point now)
{
    const signature seen = current();
    if (seen != candidate_) {
        candidate_ = seen;
        candidateSince_ = now;
        return false;
    }
    if (!seen.exists || seen == told_ || now - candidateSince_ < settle_) {
        return false;
    }
    told_ = seen;
    return true;
}

}  // namespace panel_host
