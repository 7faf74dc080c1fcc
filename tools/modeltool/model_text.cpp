#include "tools/modeltool/model_text.h"

#include <cctype>
#include <optional>

#include "settings/model_data.h"
#include "tools/modeltool/code_page.h"

namespace modeltool {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

// The line without its comment: a '#' outside double quotes starts one.
std::string_view StripComment(std::string_view line) {
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (quoted && line[i] == '\\') {
      ++i;
    } else if (line[i] == '"') {
      quoted = !quoted;
    } else if (!quoted && line[i] == '#') {
      return line.substr(0, i);
    }
  }
  return line;
}

// Decimal, or hexadecimal after 0x; no sign, nothing after the digits.
std::optional<std::uint32_t> ParseNumber(std::string_view text, std::uint32_t max) {
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return std::nullopt;
    }
    value = value * base + digit;
    if (value > max) return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

std::string BadNumber(std::string_view text, std::string_view what, std::uint32_t max) {
  return "bad number \"" + std::string(text) + "\" for " + std::string(what) + " (decimal or 0x hex, 0 to " +
         std::to_string(max) + ")";
}

// Splits "a, b, c" at commas (the caller has taken any quoted part off).
std::vector<std::string_view> SplitCommas(std::string_view text) {
  std::vector<std::string_view> parts;
  for (;;) {
    const std::size_t comma = text.find(',');
    parts.push_back(Trim(text.substr(0, comma)));
    if (comma == std::string_view::npos) return parts;
    text.remove_prefix(comma + 1);
  }
}

class Parser {
 public:
  ParseResult Run(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // UTF-8 byte order mark
    int lineNumber = 0;
    while (!text.empty()) {
      ++lineNumber;
      const std::size_t end = text.find('\n');
      std::string_view line = text.substr(0, end);
      text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      Line(lineNumber, line);
    }
    for (std::size_t i = 0; i < kFieldCount; ++i) {
      if (kFields[i].required && !result_.description.fields[i].given) {
        Fail(0, std::string(kFields[i].key) + " is missing");
      }
    }
    return std::move(result_);
  }

 private:
  void Fail(int line, std::string message) { result_.problems.push_back({line, std::move(message)}); }

  void Line(int line, std::string_view text) {
    text = Trim(StripComment(text));
    if (text.empty()) return;
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return Fail(line, "expected KEY = VALUE");
    const std::string_view key = Trim(text.substr(0, equals));
    const std::string_view value = Trim(text.substr(equals + 1));
    if (key.empty()) return Fail(line, "expected KEY = VALUE");

    for (std::size_t i = 0; i < kFieldCount; ++i) {
      if (key == kFields[i].key) return Value(line, key, value, kFields[i].byte ? 0xFF : 0xFFFFFFFF,
                                              result_.description.fields[i]);
    }
    if (key == "size") return Value(line, key, value, 0xFFFFFFFF, result_.description.size);
    if (key == "paper") return Paper(line, value);
    if (key == "patch") return Patch(line, value);

    std::string message = "unknown key \"" + std::string(key) + "\"";
    for (const FieldSpec& field : kFields) {
      if (SameIgnoringCase(key, field.key)) message += " (did you mean " + std::string(field.key) + "?)";
    }
    Fail(line, message);
  }

  void Value(int line, std::string_view key, std::string_view text, std::uint32_t max, Setting& setting) {
    if (setting.given) {
      return Fail(line, std::string(key) + " is given twice (first on line " + std::to_string(setting.line) + ")");
    }
    const auto number = ParseNumber(text, max);
    if (!number) return Fail(line, BadNumber(text, key, max));
    setting = {*number, true, line};
  }

  void Paper(int line, std::string_view text) {
    static constexpr std::string_view kForm = "expected paper = NAME, WIDTH, LENGTH";
    PaperLine paper;
    paper.line = line;
    AnsiName name;
    std::string_view rest;
    if (!text.empty() && text.front() == '"') {
      std::size_t close = 1;
      while (close < text.size() && text[close] != '"') close += text[close] == '\\' ? 2 : 1;
      if (close >= text.size()) return Fail(line, "paper name has no closing quote");
      name = QuotedToAnsi(text.substr(1, close - 1));
      rest = Trim(text.substr(close + 1));
      if (rest.empty() || rest.front() != ',') return Fail(line, std::string(kForm));
      rest.remove_prefix(1);
    } else {
      const std::size_t comma = text.find(',');
      if (comma == std::string_view::npos) return Fail(line, std::string(kForm));
      const std::string_view bare = Trim(text.substr(0, comma));
      if (bare.find_first_of("\"\\") != std::string_view::npos) {
        return Fail(line, "paper name with a quote or backslash must be written in double quotes");
      }
      name = TextToAnsi(bare);
      rest = text.substr(comma + 1);
    }
    if (!name.error.empty()) return Fail(line, "paper name " + name.error);
    if (name.bytes.size() > settings::kModelPaperNameSize) {
      return Fail(line, "paper name is " + std::to_string(name.bytes.size()) +
                            " bytes in code page 932; at most 64 fit");
    }
    if (name.bytes.find('\0') != std::string::npos) {
      return Fail(line, "paper name cannot hold a NUL byte: the name would end there");
    }
    paper.name = std::move(name.bytes);

    const std::vector<std::string_view> numbers = SplitCommas(rest);
    if (numbers.size() != 2) return Fail(line, std::string(kForm));
    const auto width = ParseNumber(numbers[0], 0xFFFFFFFF);
    if (!width) return Fail(line, BadNumber(numbers[0], "the paper width", 0xFFFFFFFF));
    const auto length = ParseNumber(numbers[1], 0xFFFFFFFF);
    if (!length) return Fail(line, BadNumber(numbers[1], "the paper length", 0xFFFFFFFF));
    paper.width = *width;
    paper.length = *length;
    result_.description.papers.push_back(std::move(paper));
  }

  void Patch(int line, std::string_view text) {
    const std::vector<std::string_view> parts = SplitCommas(text);
    if (parts.size() != 2) return Fail(line, "expected patch = OFFSET, HEXBYTES");
    const auto offset = ParseNumber(parts[0], 0xFFFFFFFF);
    if (!offset) return Fail(line, BadNumber(parts[0], "the patch offset", 0xFFFFFFFF));
    PatchLine patch{*offset, {}, line};
    std::string digits;
    for (char c : parts[1]) {
      if (c != ' ') digits += c;
    }
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
      const auto byte = ParseNumber("0x" + digits.substr(i, 2), 0xFF);
      if (!byte) break;
      patch.bytes.push_back(static_cast<std::uint8_t>(*byte));
    }
    if (digits.empty() || digits.size() % 2 != 0 || patch.bytes.size() * 2 != digits.size()) {
      return Fail(line, "bad bytes \"" + std::string(parts[1]) + "\" in patch (pairs of hex digits)");
    }
    result_.description.patches.push_back(std::move(patch));
  }

  ParseResult result_;
};

std::string Hex(const std::vector<std::uint8_t>& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (std::uint8_t b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

}  // namespace

ParseResult ParseModelText(std::string_view text) { return Parser().Run(text); }

std::string FormatModelText(const ModelDescription& description) {
  std::string out;
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    out += std::string(kFields[i].key) + " = " + std::to_string(description.fields[i].value);
    if (i == kPrintPosDefaultField && description.papers.size() >= 2) {
      out += "  # the first name byte of paper 2";
    }
    out += '\n';
  }
  for (const PaperLine& paper : description.papers) {
    out += "paper = " + AnsiToQuoted(paper.name) + ", " + std::to_string(paper.width) + ", " +
           std::to_string(paper.length) + '\n';
  }
  if (description.size.given) out += "size = " + std::to_string(description.size.value) + '\n';
  for (const PatchLine& patch : description.patches) {
    out += "patch = " + std::to_string(patch.offset) + ", " + Hex(patch.bytes) + '\n';
  }
  return out;
}

}  // namespace modeltool
