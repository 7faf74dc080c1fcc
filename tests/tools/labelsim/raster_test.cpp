// Run-length decoding of raster blocks, on its own.

#include <gtest/gtest.h>

#include "decode_error.hpp"
#include "raster.hpp"
#include "test_streams.hpp"

namespace labelsim_test {
namespace {

using labelsim::decode_run_length;
using labelsim::DecodeError;

TEST(RunLength, ExpandsRunsAcrossValuesAndRowEnds) {
    // 3 rows of 4 bytes: 255-byte runs are not needed here, but the value
    // changes inside a row and a run continues over a row end.
    const Bytes coded = {2, 0x00, 1, 0xAA, 6, 0xFF, 3, 0x00, 0, 0, 'A', 0x03};
    const auto r = decode_run_length(coded, 0, 12);
    EXPECT_EQ(r.bytes, (Bytes{0, 0, 0xAA, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0}));
    EXPECT_EQ(r.consumed, 10u);  // the trailing "A" ETX is not part of the data
    EXPECT_EQ(r.pairs, 4u);
    EXPECT_EQ(r.split_runs, 0u);
}

TEST(RunLength, ThreeHundredZeroBytesAreTwoPairsAndTheEnd) {
    const Bytes coded = {255, 0, 45, 0, 0, 0};
    const auto r = decode_run_length(coded, 0, 300);
    EXPECT_EQ(r.bytes, Bytes(300, 0));
    EXPECT_EQ(r.split_runs, 0u);  // a 255 run followed by the same value is correct
}

TEST(RunLength, CountsRunsSplitBeforeTheirLimit) {
    const Bytes coded = {10, 7, 5, 7, 3, 1, 4, 1, 0, 0};
    const auto r = decode_run_length(coded, 0, 22);
    EXPECT_EQ(r.split_runs, 2u);
    EXPECT_EQ(r.first_split_offset, 2u);
}

TEST(RunLength, HugeClaimedBlockWithLittleDataFailsWhereTheDataEnds) {
    // A block claiming 9999 x 999 bytes whose data stops after one pair fails
    // at the end of the data, reporting how much was decoded.
    const Bytes coded = {255, 0};
    try {
        (void)decode_run_length(coded, 0, 9999u * 999u);
        FAIL() << "accepted a truncated block";
    } catch (const DecodeError& e) {
        EXPECT_EQ(e.offset(), 2u);
        EXPECT_NE(std::string(e.what()).find("255 decoded"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace labelsim_test
