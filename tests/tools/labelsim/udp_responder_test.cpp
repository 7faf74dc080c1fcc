// The printer's side of the configuration protocol, without sockets, and the
// settings file that keeps it across restarts.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <vector>

#include "printer_settings_store.hpp"
#include "temp_dir.hpp"
#include "udp_responder.hpp"

namespace labelsim_test {
namespace {

using labelsim::PrinterConfig;
using labelsim::respond;
using Bytes = std::vector<std::uint8_t>;

PrinterConfig printer(unsigned index = 0) {
    return labelsim::default_printer_config(labelsim::printer_mac(5, index), {127, 0, 0, 5}, 9100);
}

Bytes request(std::uint8_t command, std::size_t payload = 0, std::uint8_t fill = 0) {
    Bytes r{0, 0, 0, command};
    r.resize(4 + payload, fill);
    return r;
}

Bytes assign(const PrinterConfig& target, labelsim::Ipv4Address addr) {
    Bytes r{0, 0, 0, 0xFC, 'I', 'P', '-', 'S', 'E', 'T', 'U', 'P', 0, 0, target.mac[4], target.mac[5]};
    r.insert(r.end(), addr.begin(), addr.end());
    return r;
}

TEST(UdpResponder, DefaultsAreThoseOfAFreshPrinter) {
    const PrinterConfig p = printer();
    EXPECT_EQ(Bytes(p.basic.begin(), p.basic.begin() + 4), (Bytes{127, 0, 0, 5}));
    EXPECT_EQ(p.basic[6], 8);    // 255.255.255.0
    EXPECT_EQ(p.basic[17], 2);   // 9600 baud
    EXPECT_EQ(p.basic[16] & 0x0C, 0x0C);  // 8 data bits
    EXPECT_EQ(p.basic[20] | (p.basic[21] << 8), 9100);
    EXPECT_NE(printer(0).mac, printer(1).mac);
}

struct ExchangeCase {
    const char* label;
    Bytes request;
    std::size_t reply_size;  // 0: no reply
    std::uint8_t reply_code;
    bool changes;
};

TEST(UdpResponder, AnswersEachExchange) {
    const ExchangeCase cases[] = {
        {"search", request(0xF6), 30, 0xF7, false},
        {"read basic", request(0xF8), 124, 0xF9, false},
        {"read extended", request(0xE3), 130, 0xD3, false},
        {"write basic", request(0xFD, 120, 0x11), 4, 0xFB, true},
        {"write extended", request(0xC3, 126, 0x22), 4, 0xFB, true},
        {"write basic cut short", request(0xFD, 119), 0, 0, false},
        {"unknown command", request(0x42), 0, 0, false},
        {"header not zero", Bytes{1, 0, 0, 0xF6}, 0, 0, false},
        {"too short", Bytes{0, 0, 0}, 0, 0, false},
    };
    for (const ExchangeCase& c : cases) {
        PrinterConfig p = printer();
        const auto r = respond(p, c.request);
        ASSERT_EQ(r.reply.size(), c.reply_size) << c.label;
        EXPECT_EQ(r.changed, c.changes) << c.label;
        if (c.reply_size == 0) continue;
        EXPECT_EQ(r.reply[3], c.reply_code) << c.label;
        EXPECT_EQ(Bytes(r.reply.begin(), r.reply.begin() + 3), Bytes(3, 0)) << c.label;
    }
}

TEST(UdpResponder, SearchCarriesTheMacAndReadsReturnWhatWasWritten) {
    PrinterConfig p = printer(2);
    const auto search = respond(p, request(0xF6));
    EXPECT_EQ(Bytes(search.reply.begin() + 24, search.reply.end()), Bytes(p.mac.begin(), p.mac.end()));

    Bytes write = request(0xFD);
    for (std::uint8_t i = 0; i < 120; ++i) write.push_back(i);
    ASSERT_EQ(respond(p, write).reply, (Bytes{0, 0, 0, 0xFB}));
    const auto read = respond(p, request(0xF8));
    EXPECT_EQ(Bytes(read.reply.begin() + 4, read.reply.end()), Bytes(write.begin() + 4, write.end()));

    Bytes write_ext = request(0xC3, 126, 0);
    write_ext[4 + 116] = 0x80;
    respond(p, write_ext);
    EXPECT_EQ(respond(p, request(0xE3)).reply[4 + 116], 0x80);
}

TEST(UdpResponder, AddressAssignmentPicksThePrinterByMacTail) {
    PrinterConfig target = printer(0);
    PrinterConfig other = printer(1);
    const Bytes req = assign(target, {127, 0, 0, 77});
    EXPECT_TRUE(labelsim::is_group_request(req));
    const auto r1 = respond(target, req);
    const auto r2 = respond(other, req);
    EXPECT_TRUE(r1.reply.empty());  // never answered
    EXPECT_TRUE(r1.changed);
    EXPECT_FALSE(r2.changed);
    EXPECT_EQ(Bytes(target.basic.begin(), target.basic.begin() + 4), (Bytes{127, 0, 0, 77}));
    EXPECT_EQ(Bytes(other.basic.begin(), other.basic.begin() + 4), (Bytes{127, 0, 0, 5}));

    Bytes wrong_text = req;
    wrong_text[5] = 'Q';
    PrinterConfig p = printer(0);
    EXPECT_FALSE(respond(p, wrong_text).changed);
}

TEST(PrinterSettingsStore, KeepsSettingsByMacAcrossARestart) {
    TempDir dir;
    std::vector<PrinterConfig> before = {printer(0), printer(1)};
    before[1].basic[17] = 8;  // 115200 baud
    before[1].extended[116] = 0x80;
    std::string error;
    ASSERT_TRUE(labelsim::save_printer_settings(dir / "printers.json", before, error)) << error;

    // Restarted with three printers, listed in another order.
    std::vector<PrinterConfig> after = {printer(2), printer(1), printer(0)};
    ASSERT_TRUE(labelsim::load_printer_settings(dir / "printers.json", after, error)) << error;
    EXPECT_EQ(after[1].basic, before[1].basic);
    EXPECT_EQ(after[1].extended, before[1].extended);
    EXPECT_EQ(after[0].basic, printer(2).basic);  // not in the file: defaults

    std::ofstream(dir / "printers.json") << "{\"printers\": [{\"mac\": \"" << labelsim::format_mac(printer(0).mac)
                                         << "\", \"basic\": \"00\", \"extended\": \"\"}]}";
    EXPECT_FALSE(labelsim::load_printer_settings(dir / "printers.json", after, error));
    EXPECT_TRUE(labelsim::load_printer_settings(dir / "absent.json", after, error));
}

}  // namespace
}  // namespace labelsim_test
