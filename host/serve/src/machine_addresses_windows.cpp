#include "listen_address.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/host_name.hpp>
#include <boost/asio/ip/tcp.hpp>

namespace panel_host {

// Windows resolves its own host name to the addresses of its interfaces.
std::vector<std::string> machineAddresses()
{
    std::vector<std::string> addresses;
    boost::system::error_code failed;
    const std::string name = boost::asio::ip::host_name(failed);
    if (failed) {
        return addresses;
    }
    boost::asio::io_context io;
    boost::asio::ip::tcp::resolver resolver(io);
    for (const auto& entry : resolver.resolve(boost::asio::ip::tcp::v4(), name, "", failed)) {
        addresses.push_back(entry.endpoint().address().to_string());
    }
    return addresses;
}

}  // namespace panel_host
