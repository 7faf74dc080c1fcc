#include "tests/tools/qzprint/qzprint_runner.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace qzprint_test {

namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string TestFolderName() {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "." + info->name();
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  return name;
}

}  // namespace

fs::path ModelFile(const std::string& name) { return fs::path(QZ_MODELS_DIR) / (name + ".qzm"); }
fs::path ExamplesFolder() { return fs::path(QZ_EXAMPLES_DIR); }

JobRunner::JobRunner() : dir_(fs::path(testing::TempDir()) / "qzprint_tests" / TestFolderName()) {
  fs::remove_all(dir_);
  fs::create_directories(dir_);
}

Json JobRunner::BaseJob(const std::string& model) { return Json{{"model", ModelFile(model).string()}}; }

RunResult JobRunner::Run(const Json& job, const std::vector<std::string>& args) const {
  return RunText(job.dump(2), args);
}

RunResult JobRunner::RunText(const std::string& jobText, const std::vector<std::string>& args) const {
  const fs::path job = dir_ / "job.json";
  std::ofstream(job, std::ios::binary) << jobText;
  return RunFile(job, args);
}

RunResult JobRunner::RunFile(const fs::path& job, const std::vector<std::string>& args) const {
  const fs::path output = dir_ / "out.bin";
  const fs::path out = dir_ / "stdout.txt";
  const fs::path err = dir_ / "stderr.txt";
  fs::remove(output);
  std::string command = Quote(QZPRINT_EXE) + " " + Quote(job.string()) + " -o " + Quote(output.string());
  for (const std::string& arg : args) command += " " + Quote(arg);
  command += " >" + Quote(out.string()) + " 2>" + Quote(err.string());

  RunResult result;
  const int status = std::system(command.c_str());
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadText(out);
  result.err = ReadText(err);
  result.wroteOutput = fs::exists(output);
  if (result.wroteOutput) {
    const std::string bytes = ReadText(output);
    result.output.assign(bytes.begin(), bytes.end());
  }
  return result;
}

std::vector<Command> PrintedCommands(const JobRunner& runner, const Json& job) {
  const RunResult run = runner.Run(job);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  std::vector<Command> commands;
  EXPECT_TRUE(ParsePrinterStream(run.output, &commands));
  return commands;
}

Json TextPage(const std::string& text, const std::string& font, int r, int g, int b) {
  return Json::array({Json{{"text", text}, {"font", font}, {"color", {r, g, b}}, {"box", {16, 16, 176, 56}}}});
}

}  // namespace qzprint_test
