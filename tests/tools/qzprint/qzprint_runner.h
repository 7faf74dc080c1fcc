// Running the qzprint program on job files written by a test, in a folder
// of the test's own.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/tools/qzprint/printer_stream.h"

namespace qzprint_test {

using Json = nlohmann::json;

struct RunResult {
  int exitCode = -1;
  std::string out;  // standard output
  std::string err;  // standard error
  bool wroteOutput = false;
  std::vector<std::uint8_t> output;  // the printer stream file
};

// The sample model data file of that name, as the build makes it.
std::filesystem::path ModelFile(const std::string& name);
std::filesystem::path ExamplesFolder();

class JobRunner {
 public:
  // A fresh, empty folder for the current test.
  JobRunner();

  const std::filesystem::path& Dir() const { return dir_; }

  // A job on the sample model with nothing else set.
  static Json BaseJob(const std::string& model = "QZ-408");

  RunResult Run(const Json& job, const std::vector<std::string>& args = {}) const;
  RunResult RunText(const std::string& jobText, const std::vector<std::string>& args = {}) const;
  RunResult RunFile(const std::filesystem::path& job, const std::vector<std::string>& args = {}) const;

 private:
  std::filesystem::path dir_;
};

// Runs the job, expects exit 0 and a well-formed stream, and returns its commands.
std::vector<Command> PrintedCommands(const JobRunner& runner, const Json& job);

// A job page with one text run.
Json TextPage(const std::string& text, const std::string& font, int r, int g, int b);

}  // namespace qzprint_test
