#include "file_watch.h"

#include <tuple>
#include <utility>

namespace panel_host {

bool fileSignature::operator==(const fileSignature& other) const
{
    return std::tie(exists, device, inode, size, modifiedSeconds, modifiedNanoseconds) ==
           std::tie(other.exists, other.device, other.inode, other.size, other.modifiedSeconds,
                    other.modifiedNanoseconds);
}

fileWatch::fileWatch(std::string path, std::chrono::milliseconds settle, clock::time_point now)
    : path_(std::move(path)), settle_(settle), told_(signatureOf(path_)), candidate_(told_), candidateSince_(now)
{
}

bool fileWatch::replaced(clock::time_point now)
{
    const fileSignature seen = signatureOf(path_);
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
