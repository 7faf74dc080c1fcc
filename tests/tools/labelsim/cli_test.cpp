// The decode sub-command end to end: exit codes, messages, output files.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli.hpp"
#include "json_output.hpp"
#include "temp_dir.hpp"
#include "test_streams.hpp"

namespace labelsim_test {
namespace {

struct CliRun {
    int code = -1;
    std::string out;
    std::string err;
};

CliRun run(std::vector<std::string> args) {
    std::ostringstream out;
    std::ostringstream err;
    std::atomic<bool> stop{true};
    CliRun r;
    r.code = labelsim::run_labelsim(args, out, err, stop);
    r.out = out.str();
    r.err = err.str();
    return r;
}

void write_file(const std::filesystem::path& p, const Bytes& bytes) {
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                             static_cast<std::streamsize>(bytes.size()));
}

TEST(Cli, DecodePrintsASummaryForAGoodStream) {
    TempDir dir;
    write_file(dir / "job.bin", cat({cmd("A00024"), page_end(1, 0)}));
    const CliRun r = run({"decode", (dir / "job.bin").string()});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("y_offset dots=24"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("stream OK"), std::string::npos) << r.out;
    EXPECT_TRUE(r.err.empty()) << r.err;
}

TEST(Cli, DecodeReportsTheOffsetOfAMalformedStreamAndFails) {
    TempDir dir;
    write_file(dir / "job.bin", cat({cmd("A00024"), cmd("ECN0X01")}));
    const CliRun r = run({"decode", (dir / "job.bin").string(), "--json", (dir / "out.json").string()});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("error at offset 13: cut quantity: expected 2 ASCII digits"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());  // with --json the report goes to the file
    std::ifstream in(dir / "out.json");
    const auto report = labelsim::Json::parse(in);
    EXPECT_EQ(report["error"]["offset"], 13);
    EXPECT_EQ(report["commands"].size(), 1u);
}

TEST(Cli, DecodeWritesOnePngPerPage) {
    TempDir dir;
    const Bytes page = cat({raster_plain(8, 1, Bytes(8, 0xF0)), placement(0, 1, 8)});
    write_file(dir / "job.bin", cat({page, page_end(1, 0), page, page_end(1, 0), page_end(1, 2)}));
    const std::string prefix = (dir / "label").string();
    const CliRun r = run({"decode", (dir / "job.bin").string(), "--png", prefix, "--dpmm", "12"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(prefix + "-1.png"));
    EXPECT_TRUE(std::filesystem::exists(prefix + "-2.png"));
    EXPECT_FALSE(std::filesystem::exists(prefix + "-3.png"));  // an empty page has nothing to draw
}

TEST(Cli, RejectsBadUsage) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"print"},
        {"decode"},
        {"decode", "a", "b"},
        {"decode", "a", "--dpmm", "10"},
        {"decode", "a", "--json"},
        {"serve", "--out", "x"},
        {"serve", "--tcp", "localhost:1", "--out", "x"},
        {"serve", "--tcp", "127.0.0.1:1", "--out", "x", "--printers", "0"},
    };
    for (const auto& args : cases) {
        const CliRun r = run(args);
        EXPECT_EQ(r.code, 2) << testing::PrintToString(args);
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << testing::PrintToString(args);
    }
    TempDir dir;
    EXPECT_EQ(run({"decode", (dir / "missing.bin").string()}).code, 2);
}

}  // namespace
}  // namespace labelsim_test
