#include "listen_address.h"

#include <boost/asio/ip/address_v4.hpp>
#include <boost/asio/ip/host_name.hpp>

#include <algorithm>

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
    boost::system::error_code invalid;
    boost::asio::ip::make_address_v4(address.host, invalid);
    if (address.host != "localhost" && invalid) {
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
    std::vector<std::string> names = machineAddresses();
    boost::system::error_code failed;
    if (const std::string name = boost::asio::ip::host_name(failed); !failed && !name.empty()) {
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
