// qzprint: plays a print job described in a JSON file through the label
// printer's rendering driver, the way GDI and the spooler would, and keeps
// what the driver sends to the printer.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "platform/host_state.h"
#include "settings/model_data.h"
#include "tools/qzprint/command_line.h"
#include "tools/qzprint/driver_library.h"
#include "tools/qzprint/job.h"
#include "tools/qzprint/job_player.h"
#include "tools/qzprint/printer_setup.h"

#ifndef QZPRINT_DEFAULT_DRIVER
#define QZPRINT_DEFAULT_DRIVER ""
#endif
#ifndef QZPRINT_DEFAULT_MODELS
#define QZPRINT_DEFAULT_MODELS ""
#endif

namespace {

namespace fs = std::filesystem;

constexpr int kExitPrinted = 0;
constexpr int kExitDriverFailed = 1;
constexpr int kExitNotPlayed = 2;

constexpr char kRegistryStateFile[] = "registry.txt";

int Error(const std::string& message) {
  std::cerr << "qzprint: " << message << "\n";
  return kExitNotPlayed;
}

bool WriteOutput(const std::string& path, const host::Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

qzprint::CommandLineDefaults Defaults() {
  qzprint::CommandLineDefaults defaults{QZPRINT_DEFAULT_DRIVER, QZPRINT_DEFAULT_MODELS};
  if (const char* models = std::getenv("QZPRINT_MODELS"); models != nullptr && *models != '\0') {
    defaults.modelsFolder = models;
  }
  return defaults;
}

int Run(const qzprint::CommandLine& line) {
  if (line.port) return Error("--port " + *line.port + ": printing through the port monitor is not available");

  if (!line.stateFolder.empty()) {
    // Set before the job is read: drive paths in it live in this folder.
    // Absolute, so that host paths inside it map back to their drive.
    std::error_code absoluteError;
    const fs::path folder = fs::absolute(line.stateFolder, absoluteError);
    host::SetStateFolder(absoluteError ? line.stateFolder : folder.lexically_normal().string());
    std::error_code ec;
    if (fs::exists(fs::path(line.stateFolder) / kRegistryStateFile, ec) && !host::LoadState(line.stateFolder)) {
      return Error("cannot load the host state from " + line.stateFolder);
    }
  }

  qzprint::Job job;
  qzprint::JobError jobError;
  if (!qzprint::ReadJob(line.job, qzprint::ModelSearch{line.modelsFolder}, &job, &jobError)) {
    return Error(line.job + ": " + (jobError.path.empty() ? "" : jobError.path + ": ") + jobError.message);
  }
  if (job.modelError != settings::ModelError::kNone) {
    std::cerr << "qzprint: warning: " << job.model.string() << ": "
              << settings::ModelErrorText(job.modelError) << "; the driver will refuse it\n";
  }

  std::string error;
  const std::optional<qzprint::DriverLibrary> driver = qzprint::DriverLibrary::Load(line.driver, &error);
  if (!driver) return Error(error);
  qzprint::OpenedPrinter printer;
  if (!qzprint::SetUpPrinter(job, fs::absolute(line.driver), &printer, &error)) return Error(error);

  const qzprint::PlayResult result = qzprint::PlayJob(job, printer.get(), *driver);
  printer = qzprint::OpenedPrinter();
  if (!line.stateFolder.empty() && !host::SaveState(line.stateFolder)) {
    return Error("cannot save the host state to " + line.stateFolder);
  }
  const host::Bytes written = host::WrittenBytes(job.printer);
  if (!WriteOutput(line.output, written)) return Error("cannot write " + line.output);
  for (const std::string& leak : result.leaks) {
    std::cerr << "qzprint: warning: the driver left " << leak << " alive\n";
  }
  if (!result.ok) {
    std::cerr << "qzprint: " << result.failure << "\n";
    return kExitDriverFailed;
  }
  std::cout << line.output << ": " << written.size() << " bytes in " << host::Writes(job.printer).size()
            << " writes\n";
  return kExitPrinted;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  const std::optional<qzprint::CommandLine> line = qzprint::ParseCommandLine(args, Defaults(), &error);
  if (!line) {
    std::cerr << "qzprint: " << error << "\n" << qzprint::kUsage;
    return kExitNotPlayed;
  }
  if (line->help) {
    std::cout << qzprint::kUsage;
    return kExitPrinted;
  }
  return Run(*line);
}
