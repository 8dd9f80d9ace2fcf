#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace panel_host {

// Where `panel-host serve` listens: an IPv4 address (or "localhost") and a
// port; port 0 lets the system choose a free one.
struct listenAddress {
    std::string host = "127.0.0.1";
    std::uint16_t port = 8630;

    // On the loopback interface only (127.x.x.x or "localhost").
    bool isLoopback() const;
    // "host:port" as a browser writes it in the Host header.
    std::string hostHeader() const;
    // The Host header values a request may carry: the address itself, and
    // for loopback also "localhost" and "127.0.0.1" with the port.
    std::vector<std::string> acceptedHosts() const;
};

struct listenAddressParse {
    std::optional<listenAddress> address;
    std::string error;  // when no address
};

// The names this machine answers to: its IPv4 addresses, its host name
// (with and without the domain) and localhost; for the Host header of pages
// served beyond loopback.
std::vector<std::string> machineHostNames();
// The machine's IPv4 addresses, as text. The platform seam:
// machine_addresses_posix.cpp reads the interfaces (getifaddrs),
// machine_addresses_windows.cpp resolves the host name.
std::vector<std::string> machineAddresses();

// Reads "ADDR:PORT": a dotted IPv4 address or "localhost", a port 0..65535.
listenAddressParse parseListenAddress(const std::string& text);

}  // namespace panel_host
