// modeltool: builds model data files from their text descriptions and
// prints any model data file as such a description.
//
//   modeltool compile DESCRIPTION.txt -o OUT.qzm
//   modeltool dump FILE.qzm [-o OUT.txt]
//
// Exit code 0 on success, 1 when the input is rejected (its problems go to
// the standard error), 2 on a wrong command line.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "tools/modeltool/model_image.h"
#include "tools/modeltool/model_text.h"

namespace {

constexpr int kRejected = 1;
constexpr int kUsage = 2;

int Usage() {
  std::cerr << "usage: modeltool compile DESCRIPTION.txt -o OUT\n"
               "       modeltool dump FILE [-o OUT]\n";
  return kUsage;
}

std::optional<std::string> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return data;
}

bool WriteFile(const std::string& path, const void* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  return static_cast<bool>(out);
}

void Report(const std::string& path, const modeltool::Problem& problem, const char* kind) {
  std::cerr << path;
  if (problem.line > 0) std::cerr << ':' << problem.line;
  std::cerr << ": " << kind << problem.message << '\n';
}

int Compile(const std::string& input, const std::string& output) {
  const std::optional<std::string> text = ReadFile(input);
  if (!text) {
    std::cerr << input << ": cannot read the file\n";
    return kRejected;
  }
  const modeltool::ParseResult parsed = modeltool::ParseModelText(*text);
  for (const modeltool::Problem& problem : parsed.problems) Report(input, problem, "");
  if (!parsed.problems.empty()) return kRejected;

  const modeltool::BuildResult built = modeltool::BuildModel(parsed.description);
  for (const modeltool::Problem& problem : built.problems) Report(input, problem, "");
  for (const modeltool::Problem& warning : built.warnings) Report(input, warning, "warning: ");
  if (!built.problems.empty()) return kRejected;

  if (!WriteFile(output, built.bytes.data(), built.bytes.size())) {
    std::cerr << output << ": cannot write the file\n";
    return kRejected;
  }
  return 0;
}

int Dump(const std::string& input, const std::optional<std::string>& output) {
  const std::optional<std::string> data = ReadFile(input);
  if (!data) {
    std::cerr << input << ": cannot read the file\n";
    return kRejected;
  }
  const modeltool::ReadResult read =
      modeltool::ReadModel(reinterpret_cast<const std::uint8_t*>(data->data()), data->size());
  if (!read.error.empty()) {
    std::cerr << input << ": not a valid model data file: " << read.error << '\n';
    return kRejected;
  }
  const std::string text = "# " + input + ", " + std::to_string(data->size()) + " bytes\n" +
                           modeltool::FormatModelText(read.description);
  if (!output) {
    std::cout << text;
    return std::cout.flush() ? 0 : kRejected;
  }
  if (!WriteFile(*output, text.data(), text.size())) {
    std::cerr << *output << ": cannot write the file\n";
    return kRejected;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  std::string command, input;
  std::optional<std::string> output;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o") {
      if (i + 1 >= args.size() || output) return Usage();
      output = args[++i];
    } else if (command.empty()) {
      command = args[i];
    } else if (input.empty()) {
      input = args[i];
    } else {
      return Usage();
    }
  }
  if (input.empty()) return Usage();
  if (command == "compile" && output) return Compile(input, *output);
  if (command == "dump") return Dump(input, output);
  return Usage();
}
