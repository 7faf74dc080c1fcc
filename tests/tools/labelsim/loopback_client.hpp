#pragma once
// Minimal TCP and UDP clients for talking to the virtual printer on loopback
// addresses. Every receive is bounded by a timeout.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "net_address.hpp"

namespace labelsim_test {

inline sockaddr_in to_sockaddr(const labelsim::Ipv4Endpoint& e) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(e.port);
    std::memcpy(&sa.sin_addr.s_addr, e.address.data(), 4);
    return sa;
}

// Sends all bytes on one connection, then closes it. False when the
// connection fails.
inline bool tcp_send(const labelsim::Ipv4Endpoint& to, const std::vector<std::uint8_t>& bytes, bool close_after = true,
                     int* keep_fd = nullptr) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const sockaddr_in sa = to_sockaddr(to);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        ::close(fd);
        return false;
    }
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            ::close(fd);
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    if (close_after) {
        ::close(fd);
    } else if (keep_fd != nullptr) {
        *keep_fd = fd;
    }
    return true;
}

class UdpClient {
public:
    explicit UdpClient(int timeout_ms = 2000) {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const sockaddr_in local = to_sockaddr(labelsim::Ipv4Endpoint{{127, 0, 0, 1}, 0});
        ::bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local);
        timeval tv{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    }
    ~UdpClient() { ::close(fd_); }
    UdpClient(const UdpClient&) = delete;
    UdpClient& operator=(const UdpClient&) = delete;

    void send(const labelsim::Ipv4Endpoint& to, const std::vector<std::uint8_t>& bytes) {
        const sockaddr_in sa = to_sockaddr(to);
        ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
    }

    // One datagram and its source, or nothing within the timeout.
    std::optional<std::pair<std::vector<std::uint8_t>, labelsim::Ipv4Endpoint>> receive() {
        std::vector<std::uint8_t> buf(2048);
        sockaddr_in from{};
        socklen_t len = sizeof from;
        const ssize_t n = ::recvfrom(fd_, buf.data(), buf.size(), 0, reinterpret_cast<sockaddr*>(&from), &len);
        if (n < 0) return std::nullopt;
        buf.resize(static_cast<std::size_t>(n));
        labelsim::Ipv4Endpoint src;
        std::memcpy(src.address.data(), &from.sin_addr.s_addr, 4);
        src.port = ntohs(from.sin_port);
        return std::pair{std::move(buf), src};
    }

private:
    int fd_ = -1;
};

}  // namespace labelsim_test
