#include "listen_address.h"

#include <arpa/inet.h>


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
    if (port.empty() || port.size() > 5 ||
        port.find_first_not_of("0123456789") != std::string::npos || std::stoul(port) > 65535) {
        return {std::nullopt, "'" + port + "' is not a port from 0 to 65535"};
    }
    address.port = static_cast<std::uint16_t>(std::stoul(port));
    return {address, ""};
}
