// The virtual printer on loopback addresses: jobs over TCP saved with their
// reports and previews, and the UDP configuration exchanges of two printers.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <future>
#include <iterator>
#include <set>
#include <sstream>
#include <thread>

#include "job_server.hpp"
#include "json_output.hpp"
#include "loopback_client.hpp"
#include "temp_dir.hpp"
#include "test_streams.hpp"

namespace labelsim_test {
namespace {

using labelsim::Ipv4Endpoint;
using labelsim::JobServer;
using labelsim::ServeOptions;

// Runs a server on its own thread; stops it (at the latest after a bounded
// wait) when it goes out of scope.
class RunningServer {
public:
    explicit RunningServer(ServeOptions options) : server_(std::move(options)) {
        std::string error;
        opened_ = server_.open(error);
        EXPECT_TRUE(opened_) << error;
        if (opened_) {
            done_ = std::async(std::launch::async, [this] { return server_.run(stop_, log_, errors_); });
        }
    }
    ~RunningServer() {
        stop_ = true;
        finish();
    }

    JobServer& server() { return server_; }

    // Waits up to `limit` for the server to end by itself (max jobs), then stops it.
    std::size_t finish(std::chrono::seconds limit = std::chrono::seconds(10)) {
        if (!done_.valid()) return jobs_;
        if (done_.wait_for(limit) != std::future_status::ready) {
            ADD_FAILURE() << "server did not finish in time";
            stop_ = true;
        }
        jobs_ = done_.get();
        return jobs_;
    }
    std::string log() const { return log_.str(); }
    std::string errors() const { return errors_.str(); }

private:
    JobServer server_;
    bool opened_ = false;
    std::atomic<bool> stop_{false};
    std::ostringstream log_;
    std::ostringstream errors_;
    std::future<std::size_t> done_;
    std::size_t jobs_ = 0;
};

ServeOptions loopback_options(const std::filesystem::path& dir) {
    ServeOptions o;
    o.tcp = Ipv4Endpoint{{127, 0, 0, 1}, 0};
    o.udp = Ipv4Endpoint{{127, 0, 0, 1}, 0};
    o.out_dir = dir;
    o.printers = 2;
    o.max_jobs = 2;
    o.idle_timeout_ms = 5000;
    return o;
}

Bytes read_file(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Bytes udp_request(std::uint8_t command) { return Bytes{0, 0, 0, command}; }

TEST(JobServer, AnswersConfigurationExchangesForEachPrinter) {
    TempDir dir;
    ServeOptions options = loopback_options(dir.path());
    options.max_jobs.reset();
    std::vector<Ipv4Endpoint> printers;
    {
        RunningServer running(options);
        printers = running.server().udp_endpoints();
        ASSERT_EQ(printers.size(), 2u);
        EXPECT_EQ(printers[1].address, (labelsim::Ipv4Address{127, 0, 0, 2}));
        EXPECT_EQ(printers[1].port, printers[0].port);
        const std::uint16_t data_port = running.server().tcp_port();
        UdpClient client;

        // A search sent to the first address is answered once from each address.
        client.send(printers[0], udp_request(0xF6));
        std::set<std::string> sources;
        std::set<std::vector<std::uint8_t>> macs;
        for (int i = 0; i < 2; ++i) {
            auto reply = client.receive();
            ASSERT_TRUE(reply) << "search reply " << i;
            ASSERT_EQ(reply->first.size(), 30u);
            EXPECT_EQ(reply->first[3], 0xF7);
            sources.insert(labelsim::format_ipv4(reply->second.address));
            macs.insert(Bytes(reply->first.begin() + 24, reply->first.end()));
        }
        EXPECT_EQ(sources, (std::set<std::string>{"127.0.0.1", "127.0.0.2"}));
        EXPECT_EQ(macs.size(), 2u);

        // The second printer's basic settings: its own address and the data port.
        client.send(printers[1], udp_request(0xF8));
        auto basic = client.receive();
        ASSERT_TRUE(basic);
        ASSERT_EQ(basic->first.size(), 124u);
        EXPECT_EQ(basic->first[3], 0xF9);
        EXPECT_EQ(Bytes(basic->first.begin() + 4, basic->first.begin() + 8), (Bytes{127, 0, 0, 2}));
        EXPECT_EQ(basic->first[4 + 20] | (basic->first[4 + 21] << 8), data_port);

        // Write it back with 115200 baud; acknowledged, and read back so.
        Bytes write = udp_request(0xFD);
        write.insert(write.end(), basic->first.begin() + 4, basic->first.end());
        write[4 + 17] = 8;
        client.send(printers[1], write);
        auto ack = client.receive();
        ASSERT_TRUE(ack);
        EXPECT_EQ(ack->first, (Bytes{0, 0, 0, 0xFB}));

        client.send(printers[0], udp_request(0xE3));
        auto extended = client.receive();
        ASSERT_TRUE(extended);
        EXPECT_EQ(extended->first.size(), 130u);
        EXPECT_EQ(extended->first[3], 0xD3);

        // Address assignment through the first address reaches the printer
        // whose MAC tail matches, here the second; nothing is answered.
        const auto& mac2 = running.server().printers()[1].mac;
        Bytes assign = {0, 0, 0, 0xFC, 'I', 'P', '-', 'S', 'E', 'T', 'U', 'P', 0, 0, mac2[4], mac2[5], 127, 0, 0, 99};
        client.send(printers[0], assign);
        client.send(printers[1], udp_request(0xF8));
        auto after = client.receive();
        ASSERT_TRUE(after);
        EXPECT_EQ(after->first[3], 0xF9);  // not a reply to the assignment
        EXPECT_EQ(Bytes(after->first.begin() + 4, after->first.begin() + 8), (Bytes{127, 0, 0, 99}));
        EXPECT_EQ(after->first[4 + 17], 8);
        client.send(printers[0], udp_request(0xF8));
        auto first = client.receive();
        ASSERT_TRUE(first);
        EXPECT_EQ(Bytes(first->first.begin() + 4, first->first.begin() + 8), (Bytes{127, 0, 0, 1}));
    }
    // A restarted server keeps what was written.
    JobServer again(loopback_options(dir.path()));
    std::string error;
    ASSERT_TRUE(again.open(error)) << error;
    EXPECT_EQ(again.printers()[1].basic[17], 8);
    EXPECT_EQ(again.printers()[1].basic[3], 99);
    EXPECT_EQ(again.printers()[0].basic[3], 1);
}

TEST(JobServer, SavesEachTcpJobWithReportAndPreview) {
    TempDir dir;
    ServeOptions options = loopback_options(dir.path());
    options.udp.reset();
    RunningServer running(options);
    const Ipv4Endpoint tcp = running.server().tcp_endpoint();
    const Bytes bad = bytes_of("not a job");
    const Bytes good = cat({barcode(8, 8, 'B', 0, 1, 5, 'N', "ABC12"), raster_plain(40, 10, Bytes(400, 0)),
                            placement(0, 10, 40), page_end(2, 0), cmd("ECC0")});
    ASSERT_TRUE(tcp_send(tcp, bad));
    ASSERT_TRUE(tcp_send(tcp, good));
    EXPECT_EQ(running.finish(), 2u);

    EXPECT_EQ(read_file(dir / "job-1.bin"), bad);
    EXPECT_EQ(read_file(dir / "job-2.bin"), good);
    const auto report1 = labelsim::Json::parse(read_file(dir / "job-1.json"));
    EXPECT_EQ(report1["ok"], false);
    EXPECT_EQ(report1["error"]["offset"], 0);
    const auto report2 = labelsim::Json::parse(read_file(dir / "job-2.json"));
    EXPECT_EQ(report2["ok"], true);
    EXPECT_EQ(report2["job"]["number"], 2);
    EXPECT_EQ(report2["job"]["ended_by"], "closed");
    EXPECT_EQ(report2["job"]["received_bytes"], good.size());
    ASSERT_EQ(report2["pages"].size(), 1u);
    EXPECT_EQ(report2["pages"][0]["copies"], 2);
    EXPECT_EQ(report2["pages"][0]["cut"], true);
    EXPECT_EQ(report2["pages"][0]["png"], (dir / "job-2-1.png").string());
    EXPECT_TRUE(std::filesystem::exists(dir / "job-2-1.png"));
    EXPECT_NE(running.log().find("job 2: " + (dir / "job-2.bin").string() + " (" + std::to_string(good.size()) +
                                 " bytes, 1 pages)"),
              std::string::npos)
        << running.log();
    EXPECT_NE(running.errors().find("job-1: offset 0"), std::string::npos) << running.errors();
}

TEST(JobServer, EndsASilentJobAfterTheIdleTimeoutAndNumbersOnFromExistingJobs) {
    TempDir dir;
    std::ofstream(dir / "job-7.bin") << "old";
    ServeOptions options = loopback_options(dir.path());
    options.udp.reset();
    options.max_jobs = 1;
    options.idle_timeout_ms = 200;
    RunningServer running(options);
    int fd = -1;
    ASSERT_TRUE(tcp_send(running.server().tcp_endpoint(), page_end(1, 0), false, &fd));
    EXPECT_EQ(running.finish(), 1u);
    ::close(fd);
    const auto report = labelsim::Json::parse(read_file(dir / "job-8.json"));
    EXPECT_EQ(report["job"]["ended_by"], "idle_timeout");
    EXPECT_EQ(report["pages"].size(), 1u);
}

TEST(JobServer, RefusesAddressesItCannotDerive) {
    TempDir dir;
    ServeOptions options = loopback_options(dir.path());
    options.udp = Ipv4Endpoint{{127, 0, 0, 254}, 0};
    JobServer server(options);
    std::string error;
    EXPECT_FALSE(server.open(error));
    EXPECT_NE(error.find("no room"), std::string::npos) << error;
}

}  // namespace
}  // namespace labelsim_test
