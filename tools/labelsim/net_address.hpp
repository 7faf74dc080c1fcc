#pragma once
// IPv4 endpoints as given on the command line ("127.0.0.1:9100").

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace labelsim {

using Ipv4Address = std::array<std::uint8_t, 4>;

struct Ipv4Endpoint {
    Ipv4Address address{};
    std::uint16_t port = 0;
};

std::optional<Ipv4Address> parse_ipv4(std::string_view text);
// "A.B.C.D:PORT" with PORT 0..65535 (0 = any free port).
std::optional<Ipv4Endpoint> parse_endpoint(std::string_view text);

std::string format_ipv4(const Ipv4Address& a);
std::string format_endpoint(const Ipv4Endpoint& e);

inline bool is_loopback(const Ipv4Address& a) { return a[0] == 127; }

}  // namespace labelsim
