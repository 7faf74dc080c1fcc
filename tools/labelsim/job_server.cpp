#include "job_server.hpp"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <regex>

#include "job_output.hpp"
#include "printer_settings_store.hpp"

namespace labelsim {
namespace {

using Clock = std::chrono::steady_clock;

sockaddr_in to_sockaddr(const Ipv4Endpoint& e) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(e.port);
    std::memcpy(&sa.sin_addr.s_addr, e.address.data(), 4);
    return sa;
}

Ipv4Endpoint from_sockaddr(const sockaddr_in& sa) {
    Ipv4Endpoint e;
    std::memcpy(e.address.data(), &sa.sin_addr.s_addr, 4);
    e.port = ntohs(sa.sin_port);
    return e;
}

std::string errno_text() { return std::strerror(errno); }

// Binds a non-blocking socket; returns the fd or -1 with a reason.
int bind_socket(int type, const Ipv4Endpoint& at, std::uint16_t& bound_port, std::string& error) {
    const int fd = ::socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = "socket: " + errno_text();
        return -1;
    }
    if (type == SOCK_STREAM) {
        const int one = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    }
    const sockaddr_in sa = to_sockaddr(at);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        error = "bind " + format_endpoint(at) + ": " + errno_text();
        ::close(fd);
        return -1;
    }
    if (type == SOCK_STREAM && ::listen(fd, 8) != 0) {
        error = "listen " + format_endpoint(at) + ": " + errno_text();
        ::close(fd);
        return -1;
    }
    sockaddr_in got{};
    socklen_t len = sizeof got;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&got), &len);
    bound_port = ntohs(got.sin_port);
    return fd;
}

// Highest N of the job-N.bin files already in the directory.
std::size_t highest_job(const std::filesystem::path& dir) {
    std::size_t highest = 0;
    std::error_code ec;
    static const std::regex kJobFile(R"(job-([0-9]{1,9})\.bin)");
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        std::smatch m;
        const std::string name = entry.path().filename().string();
        if (std::regex_match(name, m, kJobFile)) highest = std::max<std::size_t>(highest, std::stoul(m[1].str()));
    }
    return highest;
}

}  // namespace

struct JobServer::Connection {
    int fd = -1;
    Ipv4Endpoint peer;
    std::vector<std::uint8_t> bytes;
    bool truncated = false;
    Clock::time_point last_activity;
};

JobServer::JobServer(ServeOptions options) : options_(std::move(options)) {}

JobServer::~JobServer() { close_all(); }

void JobServer::close_all() {
    if (listen_fd_ >= 0) ::close(listen_fd_);
    listen_fd_ = -1;
    for (int fd : udp_fds_) ::close(fd);
    udp_fds_.clear();
}

bool JobServer::open(std::string& error) {
    if (options_.printers < 1 || options_.printers > kMaxPrinters) {
        error = "--printers must be 1.." + std::to_string(kMaxPrinters);
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(options_.out_dir, ec);
    if (ec) {
        error = "cannot create " + options_.out_dir.string() + ": " + ec.message();
        return false;
    }
    next_job_ = highest_job(options_.out_dir) + 1;

    listen_fd_ = bind_socket(SOCK_STREAM, options_.tcp, tcp_port_, error);
    if (listen_fd_ < 0) return false;

    if (options_.udp) {
        const Ipv4Endpoint base = *options_.udp;
        if (options_.printers > 1 && !is_loopback(base.address)) {
            error = "several printers need a loopback --udp address (127.x.y.z)";
            close_all();
            return false;
        }
        if (base.address[3] + options_.printers - 1 > 254u) {
            error = "--udp address " + format_ipv4(base.address) + " leaves no room for " +
                    std::to_string(options_.printers) + " printer addresses";
            close_all();
            return false;
        }
        std::uint16_t port = base.port;
        for (unsigned i = 0; i < options_.printers; ++i) {
            Ipv4Endpoint at = base;
            at.address[3] = static_cast<std::uint8_t>(base.address[3] + i);
            at.port = port;
            std::uint16_t bound = 0;
            const int fd = bind_socket(SOCK_DGRAM, at, bound, error);
            if (fd < 0) {
                close_all();
                return false;
            }
            port = bound;  // port 0: the others share the first one's port
            at.port = bound;
            udp_fds_.push_back(fd);
            udp_endpoints_.push_back(at);
            printers_.push_back(default_printer_config(printer_mac(base.address[3], i), at.address, tcp_port_));
        }
        std::string load_error;
        if (!load_printer_settings(options_.out_dir / kPrinterSettingsFile, printers_, load_error)) {
            error = load_error;
            close_all();
            return false;
        }
    }
    return true;
}

void JobServer::handle_udp(std::size_t socket_index, std::ostream& errors) {
    // Bounded: at most 64 datagrams per wake-up, the rest wait for the next poll.
    for (int n = 0; n < 64; ++n) {
        std::uint8_t buf[2048];
        sockaddr_in from{};
        socklen_t from_len = sizeof from;
        const ssize_t got = ::recvfrom(udp_fds_[socket_index], buf, sizeof buf, 0,
                                       reinterpret_cast<sockaddr*>(&from), &from_len);
        if (got < 0) return;  // EAGAIN or a transient error
        const std::span<const std::uint8_t> request(buf, static_cast<std::size_t>(got));
        bool changed = false;
        auto answer = [&](std::size_t printer) {
            UdpResponse r = respond(printers_[printer], request);
            changed = changed || r.changed;
            if (r.reply.empty()) return;
            ::sendto(udp_fds_[printer], r.reply.data(), r.reply.size(), 0, reinterpret_cast<const sockaddr*>(&from),
                     from_len);
        };
        if (socket_index == 0 && is_group_request(request)) {
            for (std::size_t p = 0; p < printers_.size(); ++p) answer(p);
        } else {
            answer(socket_index);
        }
        if (changed) {
            std::string error;
            if (!save_printer_settings(options_.out_dir / kPrinterSettingsFile, printers_, error)) {
                errors << "labelsim serve: " << error << '\n';
            }
        }
    }
}

void JobServer::finish_job(Connection& c, const std::string& how, std::ostream& log, std::ostream& errors) {
    ::close(c.fd);
    c.fd = -1;
    const std::size_t n = next_job_++;
    const std::string stem = "job-" + std::to_string(n);
    const std::filesystem::path bin = options_.out_dir / (stem + ".bin");
    {
        std::ofstream out(bin, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(c.bytes.data()), static_cast<std::streamsize>(c.bytes.size()));
        if (!out) errors << "labelsim serve: cannot write " << bin.string() << '\n';
    }
    JobOutputOptions opts;
    opts.preview.dots_per_mm = options_.dots_per_mm;
    opts.preview.max_pixels = options_.max_preview_pixels;
    opts.png_prefix = (options_.out_dir / stem).string();
    JobOutputs outputs;
    process_job(c.bytes, opts, outputs);
    Json job;
    job["number"] = n;
    job["peer"] = format_endpoint(c.peer);
    job["received_bytes"] = c.bytes.size();
    job["truncated"] = c.truncated;
    job["ended_by"] = how;
    outputs.report["job"] = std::move(job);
    const std::filesystem::path json = options_.out_dir / (stem + ".json");
    {
        std::ofstream out(json, std::ios::binary | std::ios::trunc);
        out << outputs.report.dump(2) << '\n';
        if (!out) errors << "labelsim serve: cannot write " << json.string() << '\n';
    }
    for (const std::string& e : outputs.write_errors) errors << "labelsim serve: " << e << '\n';
    if (outputs.result.error) {
        errors << "labelsim serve: " << stem << ": offset " << outputs.result.error->offset << ": "
               << outputs.result.error->message << '\n';
    }
    log << "job " << n << ": " << bin.string() << " (" << c.bytes.size() << " bytes, "
        << outputs.result.pages.size() << " pages)" << std::endl;
    ++jobs_saved_;
    c.bytes.clear();
    c.truncated = false;
}

std::size_t JobServer::run(const std::atomic<bool>& stop, std::ostream& log, std::ostream& errors) {
    Connection conn;
    while (!stop.load() && (!options_.max_jobs || jobs_saved_ < *options_.max_jobs)) {
        std::vector<pollfd> fds;
        const bool busy = conn.fd >= 0;
        // While a job is open, further connections wait in the listen queue.
        fds.push_back(pollfd{busy ? conn.fd : listen_fd_, POLLIN, 0});
        for (int fd : udp_fds_) fds.push_back(pollfd{fd, POLLIN, 0});
        const int ready = ::poll(fds.data(), fds.size(), 100);
        if (ready < 0) {
            if (errno == EINTR) continue;
            errors << "labelsim serve: poll: " << errno_text() << '\n';
            break;
        }
        for (std::size_t i = 0; i < udp_fds_.size(); ++i) {
            if (fds[i + 1].revents & POLLIN) handle_udp(i, errors);
        }
        if (!busy) {
            if (fds[0].revents & POLLIN) {
                sockaddr_in peer{};
                socklen_t len = sizeof peer;
                const int fd = ::accept4(listen_fd_, reinterpret_cast<sockaddr*>(&peer), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
                if (fd >= 0) {
                    conn.fd = fd;
                    conn.peer = from_sockaddr(peer);
                    conn.last_activity = Clock::now();
                }
            }
            continue;
        }
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            std::uint8_t buf[65536];
            const ssize_t got = ::recv(conn.fd, buf, sizeof buf, 0);
            if (got == 0) {
                finish_job(conn, "closed", log, errors);
                continue;
            }
            if (got < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
                finish_job(conn, "receive_error", log, errors);
                continue;
            }
            conn.last_activity = Clock::now();
            const std::size_t room = options_.max_job_bytes - conn.bytes.size();
            const std::size_t take = std::min(room, static_cast<std::size_t>(got));
            conn.bytes.insert(conn.bytes.end(), buf, buf + take);
            if (take < static_cast<std::size_t>(got)) {
                conn.truncated = true;
                finish_job(conn, "size_limit", log, errors);
            }
            continue;
        }
        if (Clock::now() - conn.last_activity > std::chrono::milliseconds(options_.idle_timeout_ms)) {
            finish_job(conn, "idle_timeout", log, errors);
        }
    }
    if (conn.fd >= 0) {
        // Stopped with a job open: keep what arrived.
        finish_job(conn, "server_stopped", log, errors);
    }
    return jobs_saved_;
}

}  // namespace labelsim
