#include "listen_address.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include <algorithm>
#include <array>

namespace panel_host {

std::vector<std::string> machineAddresses()
{
    std::vector<std::string> addresses;
    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) == 0) {
        for (const ifaddrs* entry = interfaces; entry != nullptr; entry = entry->ifa_next) {
            if (entry->ifa_addr != nullptr && entry->ifa_addr->sa_family == AF_INET) {
                std::array<char, INET_ADDRSTRLEN> text{};
                sockaddr_in address{};
                std::copy_n(reinterpret_cast<const char*>(entry->ifa_addr), sizeof address,
                            reinterpret_cast<char*>(&address));
                if (inet_ntop(AF_INET, &address.sin_addr, text.data(), text.size()) != nullptr) {
                    addresses.emplace_back(text.data());
                }
            }
        }
        freeifaddrs(interfaces);
    }
    return addresses;
}

}  // namespace panel_host
