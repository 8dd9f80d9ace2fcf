#include "file_watch.h"

#include <sys/stat.h>

namespace panel_host {

fileSignature signatureOf(const std::string& path)
{
    struct stat status {};
    fileSignature seen;
    if (stat(path.c_str(), &status) != 0) {
        return seen;
    }
    seen.exists = true;
    seen.device = status.st_dev;
    seen.inode = status.st_ino;
    seen.size = static_cast<std::uint64_t>(status.st_size);
    seen.modifiedSeconds = status.st_mtim.tv_sec;
    seen.modifiedNanoseconds = status.st_mtim.tv_nsec;
    return seen;
}

}  // namespace panel_host
