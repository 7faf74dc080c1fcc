#include "tools/qzprint/command_line.h"

namespace qzprint {

const char kUsage[] =
    "usage: qzprint JOB.json -o OUT.bin [--driver PATH] [--models DIR] [--state DIR] [--port NAME]\n"
    "\n"
    "Plays the print job JOB.json through the rendering driver as GDI does and\n"
    "writes every byte the driver sent to the printer to OUT.bin.\n"
    "\n"
    "  -o, --output OUT   file that receives the printer stream\n"
    "  --driver PATH      the driver library (default: the one built with qzprint)\n"
    "  --models DIR       folder searched for the job's model file when it is not\n"
    "                     found beside the job file (default: $QZPRINT_MODELS, else\n"
    "                     the sample models of the build)\n"
    "  --state DIR        keep the simulated registry and printers in DIR: loaded\n"
    "                     before the job when present, saved after it; drive paths\n"
    "                     (c:\\...) live below DIR\n"
    "  --port NAME        print through the port monitor (not available yet)\n"
    "\n"
    "Exit status: 0 printed; 1 a driver entry point failed (OUT.bin still holds\n"
    "what was written); 2 bad command line, invalid job file or setup failure\n"
    "(no OUT.bin is written).\n";

namespace {

struct ValueOption {
  const char* name;
  const char* alias;
  std::string CommandLine::*target;
};

constexpr ValueOption kValueOptions[] = {
    {"--output", "-o", &CommandLine::output},
    {"--driver", nullptr, &CommandLine::driver},
    {"--models", nullptr, &CommandLine::modelsFolder},
    {"--state", nullptr, &CommandLine::stateFolder},
};

const ValueOption* FindValueOption(const std::string& arg) {
  for (const ValueOption& option : kValueOptions) {
    if (arg == option.name || (option.alias != nullptr && arg == option.alias)) return &option;
  }
  return nullptr;
}

}  // namespace

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args, const CommandLineDefaults& defaults,
                                            std::string* error) {
  CommandLine line;
  line.driver = defaults.driver;
  line.modelsFolder = defaults.modelsFolder;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-h" || arg == "--help") {
      line.help = true;
      return line;
    }
    const ValueOption* option = FindValueOption(arg);
    const bool isPort = arg == "--port";
    if (option != nullptr || isPort) {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        *error = arg + " needs a value";
        return std::nullopt;
      }
      const std::string& value = args[++i];
      if (isPort) {
        line.port = value;
      } else {
        line.*(option->target) = value;
      }
      continue;
    }
    if (!arg.empty() && arg[0] == '-') {
      *error = "unknown option " + arg;
      return std::nullopt;
    }
    if (!line.job.empty()) {
      *error = "only one job file can be given (" + line.job + ", " + arg + ")";
      return std::nullopt;
    }
    line.job = arg;
  }
  if (line.job.empty()) {
    *error = "no job file given";
    return std::nullopt;
  }
  if (line.output.empty()) {
    *error = "no output file given (-o OUT.bin)";
    return std::nullopt;
  }
  return line;
}

}  // namespace qzprint
