#pragma once
// The virtual printer: accepts one TCP connection per job on the given
// address, saves each job with its decoded report and page previews, and
// answers the UDP configuration protocol for one or more printers. Never
// writes to a job connection. Binds only the addresses it is given or derives
// from them: the TCP address, and for N printers the UDP addresses
// a.b.c.(d + i), i = 0 .. N-1, all on the same UDP port.
//
// Output directory:
//   job-N.bin        the bytes received on the Nth connection
//   job-N.json       decode report plus a "job" object (peer, bytes, how it ended)
//   job-N-P.png      preview of page P (pages with something to draw)
//   printers.json    the printers' configuration, kept across restarts

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "net_address.hpp"
#include "udp_responder.hpp"

namespace labelsim {

struct ServeOptions {
    Ipv4Endpoint tcp;
    std::optional<Ipv4Endpoint> udp;
    std::filesystem::path out_dir;
    unsigned printers = 1;
    unsigned dots_per_mm = 8;
    std::optional<std::size_t> max_jobs;
    // A job connection that stays silent this long ends its job.
    int idle_timeout_ms = 30000;
    // Bytes kept per job; the connection is closed when a job grows beyond it.
    std::size_t max_job_bytes = std::size_t{64} << 20;
    // Upper bound for one preview image in pixels.
    std::uint64_t max_preview_pixels = std::uint64_t{1} << 28;
};

inline constexpr unsigned kMaxPrinters = 64;
inline constexpr const char* kPrinterSettingsFile = "printers.json";

class JobServer {
public:
    explicit JobServer(ServeOptions options);
    ~JobServer();
    JobServer(const JobServer&) = delete;
    JobServer& operator=(const JobServer&) = delete;

    // Creates the output directory, loads the printers' settings and binds
    // every socket. Returns false with a reason.
    bool open(std::string& error);

    std::uint16_t tcp_port() const { return tcp_port_; }
    Ipv4Endpoint tcp_endpoint() const { return Ipv4Endpoint{options_.tcp.address, tcp_port_}; }
    const std::vector<Ipv4Endpoint>& udp_endpoints() const { return udp_endpoints_; }
    const std::vector<PrinterConfig>& printers() const { return printers_; }

    // Serves until `stop` is set or max_jobs jobs are saved; polls `stop` at
    // least every 100 ms. Writes one line per saved job to `log` and problems
    // to `errors`. Returns the number of jobs saved.
    std::size_t run(const std::atomic<bool>& stop, std::ostream& log, std::ostream& errors);

private:
    struct Connection;

    void handle_udp(std::size_t socket_index, std::ostream& errors);
    void finish_job(Connection& c, const std::string& how, std::ostream& log, std::ostream& errors);
    void close_all();

    ServeOptions options_;
    int listen_fd_ = -1;
    std::uint16_t tcp_port_ = 0;
    std::vector<int> udp_fds_;
    std::vector<Ipv4Endpoint> udp_endpoints_;
    std::vector<PrinterConfig> printers_;
    std::size_t next_job_ = 1;
    std::size_t jobs_saved_ = 0;
};

}  // namespace labelsim
