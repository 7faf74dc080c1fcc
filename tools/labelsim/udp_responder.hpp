#pragma once
// The printer's side of the UDP configuration protocol, without sockets.
// Requests are four header bytes (three zeros and a command byte) plus a
// payload; replies are recognised by their fourth byte.
//
//   00 00 00 F6            search            -> 30 bytes, byte 3 = F7, MAC at 24..29
//   00 00 00 F8            read basic        -> F9 + 120 bytes of basic settings
//   00 00 00 E3            read extended     -> D3 + 126 bytes of extended settings
//   00 00 00 FD + 120      write basic       -> 00 00 00 FB
//   00 00 00 C3 + 126      write extended    -> 00 00 00 FB
//   00 00 00 FC "IP-SETUP" 00 00 mac4 mac5 a b c d
//                          assign address    -> no reply; taken only by the
//                                               printer whose MAC ends in mac4 mac5

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "net_address.hpp"

namespace labelsim {

inline constexpr std::size_t kBasicSettingsSize = 120;
inline constexpr std::size_t kExtendedSettingsSize = 126;
inline constexpr std::size_t kSearchReplySize = 30;
inline constexpr std::size_t kAssignRequestSize = 20;

namespace udp_command {
inline constexpr std::uint8_t search = 0xF6;
inline constexpr std::uint8_t search_reply = 0xF7;
inline constexpr std::uint8_t read_basic = 0xF8;
inline constexpr std::uint8_t basic_reply = 0xF9;
inline constexpr std::uint8_t read_extended = 0xE3;
inline constexpr std::uint8_t extended_reply = 0xD3;
inline constexpr std::uint8_t assign_address = 0xFC;
inline constexpr std::uint8_t write_basic = 0xFD;
inline constexpr std::uint8_t write_extended = 0xC3;
inline constexpr std::uint8_t write_ack = 0xFB;
}  // namespace udp_command

// Offsets inside the basic settings.
namespace basic_field {
inline constexpr std::size_t address = 0;       // 4 bytes, first octet first
inline constexpr std::size_t subnet_bits = 6;   // host bits, 8 = 255.255.255.0
inline constexpr std::size_t serial_format = 16;
inline constexpr std::size_t baud_code = 17;    // 2 = 9600
inline constexpr std::size_t flow_control = 18;
inline constexpr std::size_t data_port = 20;    // 16-bit little-endian
}  // namespace basic_field

using MacAddress = std::array<std::uint8_t, 6>;

struct PrinterConfig {
    MacAddress mac{};
    std::array<std::uint8_t, kBasicSettingsSize> basic{};
    std::array<std::uint8_t, kExtendedSettingsSize> extended{};
};

// Locally administered MAC of virtual printer `index` (0-based) of a group
// whose first UDP address ends in `base_octet`.
MacAddress printer_mac(std::uint8_t base_octet, unsigned index);

// Factory settings: the given address, 8 host bits, the data port, 9600 baud,
// 8 data bits, no parity, one stop bit, no flow control.
PrinterConfig default_printer_config(const MacAddress& mac, const Ipv4Address& address, std::uint16_t data_port);

struct UdpResponse {
    std::vector<std::uint8_t> reply;  // empty: send nothing
    bool changed = false;             // settings were written
};

UdpResponse respond(PrinterConfig& printer, std::span<const std::uint8_t> request);

// Search and address assignment go to every printer of a group (the setup
// tool broadcasts them); the other requests to the addressed printer only.
bool is_group_request(std::span<const std::uint8_t> request);

}  // namespace labelsim
