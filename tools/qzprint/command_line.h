// qzprint's command line:
//   qzprint JOB.json -o OUT.bin [--driver PATH] [--models DIR] [--state DIR] [--port NAME]
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qzprint {

struct CommandLine {
  std::string job;
  std::string output;
  std::string driver;        // the driver library to load
  std::string modelsFolder;  // where relative model paths are looked for after the job's folder
  std::string stateFolder;   // empty: the host state is not loaded or kept
  std::optional<std::string> port;  // print through this port instead of capturing
  bool help = false;
};

// The defaults come from the build (the driver and the sample models it
// makes) and from the environment variable QZPRINT_MODELS.
struct CommandLineDefaults {
  std::string driver;
  std::string modelsFolder;
};

// Nothing, with the reason in *error, when the arguments are not usable.
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args, const CommandLineDefaults& defaults,
                                            std::string* error);

extern const char kUsage[];

}  // namespace qzprint
