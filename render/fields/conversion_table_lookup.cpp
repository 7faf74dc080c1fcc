#include "render/fields/conversion_table_lookup.h"

#include <algorithm>

namespace render::fields {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

}  // namespace

std::optional<std::string_view> LookUpTableValue(std::string_view table, std::string_view key) {
  if (key.empty()) return std::nullopt;
  std::size_t lineStart = 0;
  while (lineStart < table.size()) {
    const std::size_t lineEnd = table.find(kLineEnd, lineStart);
    const std::string_view line =
        lineEnd == std::string_view::npos ? table.substr(lineStart) : table.substr(lineStart, lineEnd - lineStart);
    if (line.starts_with(key)) {
      // The first matching line decides, even when it yields no value.
      if (lineEnd == std::string_view::npos) return std::nullopt;
      // The comma must be on this line: a key line without one has no text,
      // rather than borrowing the text of a later line.
      const std::size_t comma = line.find(',');
      if (comma == std::string_view::npos) return std::nullopt;
      const std::string_view value = line.substr(comma + 1);
      if (value.empty()) return std::nullopt;
      return value;
    }
    if (lineEnd == std::string_view::npos) break;
    lineStart = lineEnd + kLineEnd.size();
  }
  return std::nullopt;
}

bool CopyTableValue(std::string_view table, std::string_view key, char* out, std::size_t outSize,
                    std::size_t* outLen) {
  const std::optional<std::string_view> value = LookUpTableValue(table, key);
  if (!value) return false;
  const std::size_t copied = std::min(value->size(), outSize);
  if (copied > 0) std::copy_n(value->data(), copied, out);
  if (outLen != nullptr) *outLen = value->size();
  return true;
}

DWORD BuildTablePath(std::basic_string_view<WCHAR> tableDir, std::basic_string_view<WCHAR> name,
                     int kind, WCHAR* out, std::size_t outSize) {
  if (out == nullptr || outSize == 0) return ERROR_INVALID_PARAMETER;
  out[0] = 0;
  if (name.empty() || kind < kFirstTableKind || kind > kLastTableKind) return ERROR_INVALID_PARAMETER;
  // "\" + name + ".TB" + one digit
  const std::size_t length = tableDir.size() + 1 + name.size() + 4;
  if (length + 1 > std::min(outSize, kTablePathCapacity)) return ERROR_INSUFFICIENT_BUFFER;

  WCHAR* p = std::copy(tableDir.begin(), tableDir.end(), out);
  *p++ = static_cast<WCHAR>('\\');
  p = std::copy(name.begin(), name.end(), p);
  *p++ = static_cast<WCHAR>('.');
  *p++ = static_cast<WCHAR>('T');
  *p++ = static_cast<WCHAR>('B');
  *p++ = static_cast<WCHAR>('0' + kind);
  *p = 0;
  return ERROR_SUCCESS;
}

}  // namespace render::fields
