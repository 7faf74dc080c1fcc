#include "tools/modeltool/code_page.h"

#include <cstdint>
#include <cstdio>

#include "platform/host_state.h"
#include "platform/win.h"

namespace modeltool {

namespace {

// Code page 932 is a double-byte code page: these bytes start a two-byte
// character when a valid second byte follows.
bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// Characters that a reader of the description could not see or tell apart:
// controls and the private use area, where code page 932 puts its
// unassigned bytes.
bool IsReadable(char16_t c) {
  if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return false;
  if (c >= 0xD800 && c <= 0xDFFF) return false;
  if (c >= 0xE000 && c <= 0xF8FF) return false;
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Escaped(std::string_view bytes) {
  std::string out;
  for (unsigned char b : bytes) {
    char hex[5];
    std::snprintf(hex, sizeof hex, "\\x%02X", b);
    out += hex;
  }
  return out;
}

// One UTF-16 character (one or two units) in code page 932, or nothing when
// the code page has no form for it (no best-fit substitutes either).
bool CharToAnsi(std::u16string_view c, std::string& out) {
  char buffer[8];
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, c.data(), static_cast<int>(c.size()), buffer,
                                    static_cast<int>(sizeof buffer), nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return false;
  out.append(buffer, static_cast<std::size_t>(n));
  return true;
}

std::string CodePointText(std::u16string_view c) {
  std::uint32_t cp = c[0];
  if (c.size() == 2) cp = 0x10000 + ((cp - 0xD800) << 10) + (c[1] - 0xDC00u);
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(cp));
  return text;
}

}  // namespace

AnsiName TextToAnsi(std::string_view utf8) {
  AnsiName result;
  const std::u16string wide = host::Widen(utf8);
  if (host::Narrow(wide) != utf8) {
    result.error = "is not valid UTF-8";
    return result;
  }
  // Character by character, so that the message can name the one that has
  // no code page 932 form.
  for (std::size_t i = 0; i < wide.size();) {
    const bool pair = wide[i] >= 0xD800 && wide[i] <= 0xDBFF && i + 1 < wide.size();
    const std::u16string_view c(wide.data() + i, pair ? 2 : 1);
    if (!CharToAnsi(c, result.bytes)) {
      result.error = "has a character that code page 932 cannot hold: \"" + host::Narrow(c) + "\" (" +
                     CodePointText(c) + ")";
      return result;
    }
    i += c.size();
  }
  return result;
}

AnsiName QuotedToAnsi(std::string_view quoted) {
  AnsiName result;
  std::size_t runStart = 0;
  auto flush = [&](std::size_t end) {
    const AnsiName run = TextToAnsi(quoted.substr(runStart, end - runStart));
    result.bytes += run.bytes;
    if (result.error.empty()) result.error = run.error;
  };
  for (std::size_t i = 0; i < quoted.size() && result.error.empty();) {
    if (quoted[i] != '\\') {
      ++i;
      continue;
    }
    flush(i);
    if (!result.error.empty()) break;
    const char what = i + 1 < quoted.size() ? quoted[i + 1] : '\0';
    if (what == '"' || what == '\\') {
      result.bytes += what;
      i += 2;
    } else if (what == 'x' && i + 3 < quoted.size() && HexDigit(quoted[i + 2]) >= 0 && HexDigit(quoted[i + 3]) >= 0) {
      result.bytes += static_cast<char>(HexDigit(quoted[i + 2]) * 16 + HexDigit(quoted[i + 3]));
      i += 4;
    } else {
      result.error = "has an unknown escape (use \\\", \\\\ or \\xNN with two hex digits)";
    }
    runStart = i;
  }
  if (result.error.empty()) flush(quoted.size());
  return result;
}

std::string AnsiToQuoted(std::string_view ansi) {
  std::string out = "\"";
  for (std::size_t i = 0; i < ansi.size();) {
    const auto b = static_cast<unsigned char>(ansi[i]);
    std::size_t length = 1;
    if (IsLeadByte(b) && i + 1 < ansi.size() && IsTrailByte(static_cast<unsigned char>(ansi[i + 1]))) length = 2;
    const std::string_view bytes = ansi.substr(i, length);
    i += length;

    if (bytes == "\"" || bytes == "\\") {
      out += '\\';
      out += bytes;
      continue;
    }
    // Shown as text only when the text turns back into the same bytes: some
    // byte pairs share a character with another pair, and undefined ones
    // decode to a substitute.
    WCHAR wide[4];
    const int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                      wide, 4);
    bool readable = n > 0;
    for (int k = 0; k < n && readable; ++k) readable = IsReadable(wide[k]);
    std::string back;
    if (readable) readable = CharToAnsi(std::u16string_view(wide, static_cast<std::size_t>(n)), back) && back == bytes;
    out += readable ? host::Narrow(std::u16string_view(wide, static_cast<std::size_t>(n))) : Escaped(bytes);
  }
  out += '"';
  return out;
}

}  // namespace modeltool
