#include "cli.hpp"

#include <charconv>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "job_output.hpp"
#include "job_server.hpp"
#include "printer_settings_store.hpp"
#include "summary.hpp"

namespace labelsim {
namespace {

constexpr const char* kUsage =
    "usage: labelsim decode STREAM [--json OUT.json] [--png PREFIX] [--dpmm 8|12|24]\n"
    "       labelsim serve --tcp ADDR:PORT [--udp ADDR:PORT] --out DIR [--printers N]\n"
    "                      [--dpmm 8|12|24] [--max-jobs K] [--idle-timeout MS]\n";

std::optional<unsigned long> parse_count(const std::string& s) {
    unsigned long v = 0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc{} || ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

struct ArgError {
    std::string message;
};

// Walks "--name value" pairs; positional arguments are collected separately.
class Args {
public:
    explicit Args(std::span<const std::string> args) : args_(args) {}

    bool next(std::string& name, std::string& value, std::vector<std::string>& positional) {
        while (i_ < args_.size()) {
            const std::string& a = args_[i_++];
            if (a.rfind("--", 0) != 0) {
                positional.push_back(a);
                continue;
            }
            if (i_ >= args_.size()) throw ArgError{a + " needs a value"};
            name = a;
            value = args_[i_++];
            return true;
        }
        return false;
    }

private:
    std::span<const std::string> args_;
    std::size_t i_ = 0;
};

unsigned parse_dpmm(const std::string& v) {
    const auto n = parse_count(v);
    if (!n || (*n != 8 && *n != 12 && *n != 24)) throw ArgError{"--dpmm must be 8, 12 or 24"};
    return static_cast<unsigned>(*n);
}

int run_decode(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    JobOutputOptions opts;
    std::vector<std::string> positional;
    Args a(args);
    std::string name;
    std::string value;
    while (a.next(name, value, positional)) {
        if (name == "--json") {
            opts.json_path = value;
        } else if (name == "--png") {
            opts.png_prefix = value;
        } else if (name == "--dpmm") {
            opts.preview.dots_per_mm = parse_dpmm(value);
        } else {
            throw ArgError{"unknown option " + name};
        }
    }
    if (positional.size() != 1) throw ArgError{"decode needs exactly one STREAM file"};
    const std::string& path = positional[0];
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        err << "labelsim: cannot open " << path << '\n';
        return 2;
    }
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        err << "labelsim: cannot read " << path << '\n';
        return 2;
    }
    JobOutputs outputs;
    process_job(bytes, opts, outputs);
    if (!opts.json_path) write_summary(out, outputs.result, outputs.pages);
    for (const Diagnostic& w : outputs.result.warnings) {
        err << "labelsim: " << path << ": warning at offset " << w.offset << ": " << w.message << '\n';
    }
    for (const std::string& e : outputs.write_errors) err << "labelsim: " << e << '\n';
    if (outputs.result.error) {
        err << "labelsim: " << path << ": error at offset " << outputs.result.error->offset << ": "
            << outputs.result.error->message << '\n';
        return 1;
    }
    return outputs.write_errors.empty() ? 0 : 1;
}

int run_serve(std::span<const std::string> args, std::ostream& out, std::ostream& err,
              const std::atomic<bool>& stop) {
    ServeOptions opts;
    bool have_tcp = false;
    bool have_out = false;
    std::vector<std::string> positional;
    Args a(args);
    std::string name;
    std::string value;
    while (a.next(name, value, positional)) {
        if (name == "--tcp" || name == "--udp") {
            const auto e = parse_endpoint(value);
            if (!e) throw ArgError{name + " wants A.B.C.D:PORT, got " + value};
            if (name == "--tcp") {
                opts.tcp = *e;
                have_tcp = true;
            } else {
                opts.udp = *e;
            }
        } else if (name == "--out") {
            opts.out_dir = value;
            have_out = true;
        } else if (name == "--printers") {
            const auto n = parse_count(value);
            if (!n || *n < 1 || *n > kMaxPrinters) throw ArgError{"--printers must be 1.." + std::to_string(kMaxPrinters)};
            opts.printers = static_cast<unsigned>(*n);
        } else if (name == "--dpmm") {
            opts.dots_per_mm = parse_dpmm(value);
        } else if (name == "--max-jobs") {
            const auto n = parse_count(value);
            if (!n || *n < 1) throw ArgError{"--max-jobs must be a positive number"};
            opts.max_jobs = static_cast<std::size_t>(*n);
        } else if (name == "--idle-timeout") {
            const auto n = parse_count(value);
            if (!n || *n < 1 || *n > 3600000) throw ArgError{"--idle-timeout must be 1..3600000 ms"};
            opts.idle_timeout_ms = static_cast<int>(*n);
        } else {
            throw ArgError{"unknown option " + name};
        }
    }
    if (!positional.empty()) throw ArgError{"serve takes no positional arguments"};
    if (!have_tcp || !have_out) throw ArgError{"serve needs --tcp and --out"};

    JobServer server(opts);
    std::string error;
    if (!server.open(error)) {
        err << "labelsim serve: " << error << '\n';
        return 2;
    }
    out << "tcp " << format_endpoint(server.tcp_endpoint()) << '\n';
    for (std::size_t i = 0; i < server.udp_endpoints().size(); ++i) {
        out << "udp printer " << (i + 1) << ": " << format_endpoint(server.udp_endpoints()[i]) << " mac "
            << format_mac(server.printers()[i].mac) << '\n';
    }
    out.flush();
    server.run(stop, out, err);
    return 0;
}

}  // namespace

int run_labelsim(std::span<const std::string> args, std::ostream& out, std::ostream& err,
                 const std::atomic<bool>& stop) {
    try {
        if (args.empty()) throw ArgError{"missing sub-command"};
        const auto rest = args.subspan(1);
        if (args[0] == "decode") return run_decode(rest, out, err);
        if (args[0] == "serve") return run_serve(rest, out, err, stop);
        if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
            out << kUsage;
            return 0;
        }
        throw ArgError{"unknown sub-command " + args[0]};
    } catch (const ArgError& e) {
        err << "labelsim: " << e.message << '\n' << kUsage;
        return 2;
    }
}

}  // namespace labelsim
