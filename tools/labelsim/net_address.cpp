#include "net_address.hpp"

#include <charconv>

namespace labelsim {
namespace {

std::optional<std::uint32_t> parse_decimal(std::string_view s, std::uint32_t max) {
    if (s.empty() || s.size() > 5) return std::nullopt;
    std::uint32_t v = 0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc{} || ptr != s.data() + s.size() || v > max) return std::nullopt;
    return v;
}

}  // namespace

std::optional<Ipv4Address> parse_ipv4(std::string_view text) {
    Ipv4Address a{};
    for (std::size_t i = 0; i < 4; ++i) {
        const std::size_t dot = i < 3 ? text.find('.') : text.size();
        if (dot == std::string_view::npos) return std::nullopt;
        const auto v = parse_decimal(text.substr(0, dot), 255);
        if (!v) return std::nullopt;
        a[i] = static_cast<std::uint8_t>(*v);
        text = i < 3 ? text.substr(dot + 1) : std::string_view{};
    }
    return a;
}

std::optional<Ipv4Endpoint> parse_endpoint(std::string_view text) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const auto addr = parse_ipv4(text.substr(0, colon));
    const auto port = parse_decimal(text.substr(colon + 1), 65535);
    if (!addr || !port) return std::nullopt;
    return Ipv4Endpoint{*addr, static_cast<std::uint16_t>(*port)};
}

std::string format_ipv4(const Ipv4Address& a) {
    return std::to_string(a[0]) + "." + std::to_string(a[1]) + "." + std::to_string(a[2]) + "." + std::to_string(a[3]);
}

std::string format_endpoint(const Ipv4Endpoint& e) { return format_ipv4(e.address) + ":" + std::to_string(e.port); }

}  // namespace labelsim
