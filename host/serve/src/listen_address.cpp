#include "listen_address.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <unistd.h>

#include <algorithm>
#include <array>

namespace panel_host {

bool listenAddress::isLoopback() const
{
    return host == "localhost" || host.rfind("127.", 0) == 0;
}

std::string listenAddress::hostHeader() const
{
    return host + ":" + std::to_string(port);
}

std::vector<std::string> listenAddress::acceptedHosts() const
{
    std::vector<std::string> hosts{hostHeader()};
    if (isLoopback()) {
        for (const char* name : {"localhost", "127.0.0.1"}) {
            const std::string alias = std::string(name) + ":" + std::to_string(port);
            if (alias != hosts.front()) {
                hosts.push_back(alias);
            }
        }
    }
    return hosts;
}

listenAddressParse parseListenAddress(const std::string& text)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos) {
        return {std::nullopt, "'" + text + "' is not ADDR:PORT"};
    }
    listenAddress address;
    address.host = text.substr(0, colon);
    const std::string port = text.substr(colon + 1);
    in_addr parsed{};
    if (address.host != "localhost" && inet_pton(AF_INET, address.host.c_str(), &parsed) != 1) {
        return {std::nullopt, "'" + address.host + "' is not an IPv4 address or localhost"};
    }
    if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos ||
        std::stoul(port) > 65535) {
        return {std::nullopt, "'" + port + "' is not a port from 0 to 65535"};
    }
    address.port = static_cast<std::uint16_t>(std::stoul(port));
    return {address, ""};
}

std::vector<std::string> machineHostNames()
{
    std::vector<std::string> names;
    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) == 0) {
        for (const ifaddrs* entry = interfaces; entry != nullptr; entry = entry->ifa_next) {
            if (entry->ifa_addr != nullptr && entry->ifa_addr->sa_family == AF_INET) {
                std::array<char, INET_ADDRSTRLEN> text{};
                sockaddr_in address{};
                std::copy_n(reinterpret_cast<const char*>(entry->ifa_addr), sizeof address,
                            reinterpret_cast<char*>(&address));
                if (inet_ntop(AF_INET, &address.sin_addr, text.data(), text.size()) != nullptr) {
                    names.emplace_back(text.data());
                }
            }
        }
        freeifaddrs(interfaces);
    }
    std::array<char, 256> host{};
    if (gethostname(host.data(), host.size() - 1) == 0 && host[0] != '\0') {
        const std::string name(host.data());
        names.push_back(name);
        if (name.find('.') != std::string::npos) {
            names.push_back(name.substr(0, name.find('.')));
        }
    }
    names.push_back("localhost");
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

}  // namespace panel_host
