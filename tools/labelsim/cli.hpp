#pragma once
// Command line of labelsim:
//   labelsim decode STREAM [--json OUT.json] [--png PREFIX] [--dpmm 8|12|24]
//   labelsim serve --tcp A.B.C.D:PORT [--udp A.B.C.D:PORT] --out DIR
//                  [--printers N] [--dpmm 8|12|24] [--max-jobs K] [--idle-timeout MS]
// Exit codes: 0 success, 1 malformed stream or output not written, 2 usage
// or setup error.

#include <atomic>
#include <ostream>
#include <span>
#include <string>

namespace labelsim {

int run_labelsim(std::span<const std::string> args, std::ostream& out, std::ostream& err,
                 const std::atomic<bool>& stop);

}  // namespace labelsim
