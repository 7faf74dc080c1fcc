// The whole host state: resetting it, and keeping the registry and the
// printers in a folder between runs.
//
// The folder holds two text files, UTF-8, one record per line, fields
// separated by tabs; '%', tab, CR, LF and the other control characters
// inside a text field are written as %XX (hex of the byte). The first line
// names the file and its version; blank lines and lines starting with '#'
// are skipped.
//
//   registry.txt
//     qzlabel-registry 1
//     key<TAB><root>[\<path>]              every key, parents first; <root>
//                                           is HKEY_LOCAL_MACHINE and so on
//     value<TAB><name><TAB><type><TAB><hex> a value of the key above it:
//                                           type in decimal, data as
//                                           lower-case hex (empty for none);
//                                           the default value has an empty name
//
//   printers.txt
//     qzlabel-printers 1
//     printer<TAB><name><TAB><driver name><TAB><environment><TAB><driver path>
//            <TAB><data file><TAB><config file><TAB><version>
//
// Captured writes are not kept.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "host_internal.h"
#include "platform/host_syscalls.h"

namespace host::detail {

namespace {

constexpr const char* kRegistryFile = "registry.txt";
constexpr const char* kPrintersFile = "printers.txt";
constexpr const char* kRegistryHeader = "qzlabel-registry 1";
constexpr const char* kPrintersHeader = "qzlabel-printers 1";
constexpr const char* kHexDigits = "0123456789abcdef";

std::string Escape(std::u16string_view text) {
  std::string out;
  for (const char c : Narrow(text)) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F || c == '%') {
      out += '%';
      out += kHexDigits[b >> 4];
      out += kHexDigits[b & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Unescape(std::string_view field, std::u16string& out) {
  std::string bytes;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '%') {
      bytes += field[i];
      continue;
    }
    if (i + 2 >= field.size()) return false;
    const int hi = HexValue(field[i + 1]);
    const int lo = HexValue(field[i + 2]);
    if (hi < 0 || lo < 0) return false;
    bytes += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  out = Widen(bytes);
  return true;
}

std::string Hex(const Bytes& data) {
  std::string out;
  for (const std::uint8_t b : data) {
    out += kHexDigits[b >> 4];
    out += kHexDigits[b & 0xF];
  }
  return out;
}

bool FromHex(std::string_view text, Bytes& out) {
  if (text.size() % 2 != 0) return false;
  out.clear();
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int hi = HexValue(text[i]);
    const int lo = HexValue(text[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
  }
  return true;
}

bool ParseNumber(std::string_view text, std::uint32_t& out) {
  if (text.empty() || text.size() > 10) return false;
  std::uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value > 0xFFFFFFFFull) return false;
  out = static_cast<std::uint32_t>(value);
  return true;
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = line.find('\t', start);
    fields.push_back(line.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return fields;
    start = end + 1;
  }
}

// The records of a file after its header, or nothing when the file is
// missing or has another header.
std::optional<std::vector<std::vector<std::string_view>>> ReadRecords(const std::filesystem::path& file,
                                                                       const char* header, std::string& text) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  text = buffer.str();
  std::vector<std::vector<std::string_view>> records;
  bool sawHeader = false;
  std::string_view rest(text);
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (!sawHeader) {
      if (line != header) return std::nullopt;
      sawHeader = true;
      continue;
    }
    records.push_back(SplitTabs(line));
  }
  if (!sawHeader) return std::nullopt;
  return records;
}

std::optional<HKEY> RootByName(std::string_view name) {
  for (const RootName& root : RootNames()) {
    if (name == root.name) return root.root;
  }
  return std::nullopt;
}

const char* NameOfRoot(HKEY root) {
  for (const RootName& r : RootNames()) {
    if (r.root == root) return r.name;
  }
  return "";
}

std::optional<std::vector<SavedKey>> ParseRegistry(const std::filesystem::path& file) {
  std::string text;
  const auto records = ReadRecords(file, kRegistryHeader, text);
  if (!records) return std::nullopt;
  std::vector<SavedKey> keys;
  for (const auto& fields : *records) {
    if (fields[0] == "key" && fields.size() == 2) {
      std::u16string full;
      if (!Unescape(fields[1], full)) return std::nullopt;
      const std::size_t slash = full.find(u'\\');
      const auto root = RootByName(Narrow(full.substr(0, slash)));
      if (!root) return std::nullopt;
      keys.push_back(SavedKey{*root, slash == std::u16string::npos ? u"" : full.substr(slash + 1), {}});
    } else if (fields[0] == "value" && fields.size() == 4 && !keys.empty()) {
      std::u16string name;
      RegistryValue value;
      if (!Unescape(fields[1], name) || !ParseNumber(fields[2], value.type) || !FromHex(fields[3], value.data)) {
        return std::nullopt;
      }
      keys.back().values.emplace_back(std::move(name), std::move(value));
    } else {
      return std::nullopt;
    }
  }
  return keys;
}

std::optional<std::vector<SavedPrinter>> ParsePrinters(const std::filesystem::path& file) {
  std::string text;
  const auto records = ReadRecords(file, kPrintersHeader, text);
  if (!records) return std::nullopt;
  std::vector<SavedPrinter> printers;
  for (const auto& fields : *records) {
    if (fields[0] != "printer" || fields.size() != 8) return std::nullopt;
    SavedPrinter p;
    DriverInfo& d = p.driver;
    if (!Unescape(fields[1], p.name) || !Unescape(fields[2], d.name) || !Unescape(fields[3], d.environment) ||
        !Unescape(fields[4], d.driverPath) || !Unescape(fields[5], d.dataFile) || !Unescape(fields[6], d.configFile) ||
        !ParseNumber(fields[7], d.version)) {
      return std::nullopt;
    }
    printers.push_back(std::move(p));
  }
  return printers;
}

// Written beside the target and renamed over it, so that a file is either
// the old one or the new one whole.
bool WriteWhole(const std::filesystem::path& file, const std::string& text) {
  const std::filesystem::path temp = file.string() + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << text;
    out.flush();
    if (!out) return false;
  }
  std::error_code ec;
  std::filesystem::rename(temp, file, ec);
  return !ec;
}

}  // namespace

}  // namespace host::detail

namespace host {

void Reset() {
  detail::ResetRegistry();
  detail::ResetPrinters();
  detail::ResetClock();
  Sys() = DefaultSyscalls();
}

bool SaveState(const std::string& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) return false;

  std::string registry = std::string(detail::kRegistryHeader) + "\n";
  for (const detail::SavedKey& key : detail::ExportRegistry()) {
    registry += "key\t";
    registry += detail::NameOfRoot(key.root);
    if (!key.path.empty()) registry += "\\" + detail::Escape(key.path);
    registry += "\n";
    for (const auto& [name, value] : key.values) {
      registry += "value\t" + detail::Escape(name) + "\t" + std::to_string(value.type) + "\t" +
                  detail::Hex(value.data) + "\n";
    }
  }

  std::string printers = std::string(detail::kPrintersHeader) + "\n";
  for (const detail::SavedPrinter& p : detail::ExportPrinters()) {
    const DriverInfo& d = p.driver;
    printers += "printer\t" + detail::Escape(p.name) + "\t" + detail::Escape(d.name) + "\t" +
                detail::Escape(d.environment) + "\t" + detail::Escape(d.driverPath) + "\t" +
                detail::Escape(d.dataFile) + "\t" + detail::Escape(d.configFile) + "\t" + std::to_string(d.version) +
                "\n";
  }

  const std::filesystem::path folder(dir);
  return detail::WriteWhole(folder / detail::kRegistryFile, registry) &&
         detail::WriteWhole(folder / detail::kPrintersFile, printers);
}

// Both files must read whole; otherwise nothing changes.
bool LoadState(const std::string& dir) {
  const std::filesystem::path folder(dir);
  const auto keys = detail::ParseRegistry(folder / detail::kRegistryFile);
  const auto printers = detail::ParsePrinters(folder / detail::kPrintersFile);
  if (!keys || !printers) return false;
  detail::ImportRegistry(*keys);
  detail::ImportPrinters(*printers);
  return true;
}

}  // namespace host
