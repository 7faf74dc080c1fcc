#include "udp_responder.hpp"

#include <algorithm>
#include <cstring>

namespace labelsim {
namespace {

bool has_header(std::span<const std::uint8_t> request) {
    return request.size() >= 4 && request[0] == 0 && request[1] == 0 && request[2] == 0;
}

std::vector<std::uint8_t> reply_with(std::uint8_t code, std::span<const std::uint8_t> payload) {
    std::vector<std::uint8_t> r(4 + payload.size(), 0);
    r[3] = code;
    std::copy(payload.begin(), payload.end(), r.begin() + 4);
    return r;
}

}  // namespace

MacAddress printer_mac(std::uint8_t base_octet, unsigned index) {
    const unsigned n = index + 1;
    return MacAddress{0x02, 0x4C, 0x53, base_octet, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)};
}

PrinterConfig default_printer_config(const MacAddress& mac, const Ipv4Address& address, std::uint16_t data_port) {
    PrinterConfig p;
    p.mac = mac;
    std::copy(address.begin(), address.end(), p.basic.begin() + basic_field::address);
    p.basic[basic_field::subnet_bits] = 8;
    // Data bits 8 (3 in bits 2-3), no parity (0 in bits 4-5), one stop bit (1 in bits 6-7).
    p.basic[basic_field::serial_format] = static_cast<std::uint8_t>((3u << 2) | (0u << 4) | (1u << 6));
    p.basic[basic_field::baud_code] = 2;
    p.basic[basic_field::flow_control] = 0;
    p.basic[basic_field::data_port] = static_cast<std::uint8_t>(data_port & 0xFF);
    p.basic[basic_field::data_port + 1] = static_cast<std::uint8_t>(data_port >> 8);
    return p;
}

bool is_group_request(std::span<const std::uint8_t> request) {
    return has_header(request) &&
           (request[3] == udp_command::search || request[3] == udp_command::assign_address);
}

UdpResponse respond(PrinterConfig& printer, std::span<const std::uint8_t> request) {
    UdpResponse out;
    if (!has_header(request)) return out;
    const auto payload = request.subspan(4);
    switch (request[3]) {
    case udp_command::search: {
        std::array<std::uint8_t, kSearchReplySize> r{};
        r[3] = udp_command::search_reply;
        // Bytes 4..23 are not interpreted by the setup tool: current address,
        // data port and a tag naming the simulator.
        std::copy_n(printer.basic.begin() + basic_field::address, 4, r.begin() + 4);
        r[8] = printer.basic[basic_field::data_port];
        r[9] = printer.basic[basic_field::data_port + 1];
        std::memcpy(r.data() + 10, "LABELSIM", 8);
        std::copy(printer.mac.begin(), printer.mac.end(), r.begin() + 24);
        out.reply.assign(r.begin(), r.end());
        break;
    }
    case udp_command::read_basic: out.reply = reply_with(udp_command::basic_reply, printer.basic); break;
    case udp_command::read_extended: out.reply = reply_with(udp_command::extended_reply, printer.extended); break;
    case udp_command::write_basic:
        if (payload.size() < kBasicSettingsSize) break;
        std::copy_n(payload.begin(), kBasicSettingsSize, printer.basic.begin());
        out.changed = true;
        out.reply = {0, 0, 0, udp_command::write_ack};
        break;
    case udp_command::write_extended:
        if (payload.size() < kExtendedSettingsSize) break;
        std::copy_n(payload.begin(), kExtendedSettingsSize, printer.extended.begin());
        out.changed = true;
        out.reply = {0, 0, 0, udp_command::write_ack};
        break;
    case udp_command::assign_address: {
        if (request.size() < kAssignRequestSize) break;
        if (std::memcmp(request.data() + 4, "IP-SETUP", 8) != 0) break;
        if (request[14] != printer.mac[4] || request[15] != printer.mac[5]) break;
        std::copy_n(request.begin() + 16, 4, printer.basic.begin() + basic_field::address);
        out.changed = true;
        break;
    }
    default: break;
    }
    return out;
}

}  // namespace labelsim
