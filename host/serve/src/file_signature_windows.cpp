#include "file_watch.h"

#include <windows.h>

namespace panel_host {

fileSignature signatureOf(const std::string& path)
{
    fileSignature seen;
    // Opened for its attributes only, sharing everything: a linker may
    // replace or write it meanwhile.
    const HANDLE file =
        CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return seen;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileInformationByHandle(file, &information) != 0) {
        const auto join = [](DWORD high, DWORD low) { return (std::uint64_t{high} << 32) | low; };
        // Modification time in 100 ns units.
        const std::uint64_t written =
            join(information.ftLastWriteTime.dwHighDateTime, information.ftLastWriteTime.dwLowDateTime);
        seen.exists = true;
        seen.device = information.dwVolumeSerialNumber;
        seen.inode = join(information.nFileIndexHigh, information.nFileIndexLow);
        seen.size = join(information.nFileSizeHigh, information.nFileSizeLow);
        seen.modifiedSeconds = static_cast<long long>(written / 10000000);
        seen.modifiedNanoseconds = static_cast<long>(written % 10000000) * 100;
    }
    CloseHandle(file);
    return seen;
}

}  // namespace panel_host
