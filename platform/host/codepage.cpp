// Code page conversion. The system ANSI code page is 932 (Shift JIS as
// Windows defines it); its double-byte table comes from the C library's
// iconv ("CP932", the same table), looked up one character at a time and
// remembered. UTF-8 is converted here directly.
#include <iconv.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>

#include "host_internal.h"

namespace host::detail {

namespace {

constexpr UINT kCodePage932 = 932;
constexpr UINT kOemCodePage = 1;       // CP_OEMCP: also 932 on this system
constexpr UINT kThreadCodePage = 3;    // CP_THREAD_ACP
constexpr char16_t kDefaultWide = 0x30FB;  // what code page 932 gives for bytes it cannot read
constexpr char kDefaultAnsi = '?';        // what it gives for characters it cannot hold
constexpr DWORD kWcErrInvalidChars = 0x00000080;  // WC_ERR_INVALID_CHARS
constexpr DWORD kMbFlags932 = 0x0000000F;  // MB_PRECOMPOSED, MB_COMPOSITE, MB_USEGLYPHCHARS, MB_ERR_INVALID_CHARS

enum class Codec { Cp932, Utf8 };

struct CodePage {
  UINT id;
  Codec codec;
};
constexpr CodePage kCodePages[] = {
    {CP_ACP, Codec::Cp932},        {kOemCodePage, Codec::Cp932}, {kThreadCodePage, Codec::Cp932},
    {kCodePage932, Codec::Cp932}, {CP_UTF8, Codec::Utf8},
};

std::optional<Codec> CodecOf(UINT codePage) {
  for (const CodePage& cp : kCodePages) {
    if (cp.id == codePage) return cp.codec;
  }
  return std::nullopt;
}

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// Single bytes beyond ASCII and the half-width katakana that Windows maps
// to fixed code points (and back), so that any byte string survives a
// round trip.
struct SingleByte {
  unsigned char byte;
  char16_t wide;
};
constexpr SingleByte kSingleBytes[] = {
    {0x80, 0x0080}, {0xA0, 0xF8F0}, {0xFD, 0xF8F1}, {0xFE, 0xF8F2}, {0xFF, 0xF8F3},
};

constexpr char16_t kHalfWidthFirst = 0xFF61;  // U+FF61..U+FF9F <-> bytes 0xA1..0xDF
constexpr char16_t kHalfWidthLast = 0xFF9F;
constexpr unsigned char kHalfWidthByte = 0xA1;

// The double-byte part of code page 932, filled on demand from iconv.
class DoubleByteTable {
 public:
  // The character of a lead and trail byte pair, or 0 when it has none.
  char16_t Decode(unsigned char lead, unsigned char trail) {
    const std::lock_guard lock(mutex_);
    char16_t& slot = decode_[(lead << 8) | trail];
    if (slot == kUnknown) {
      const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      char out[4];
      const std::size_t n = Convert(toWide_, in, 2, out, sizeof out);
      slot = n == 2 ? static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                            (static_cast<unsigned char>(out[1]) << 8))
                    : kNone;
    }
    return slot == kNone ? 0 : slot;
  }

  // The one- or two-byte code of a character (a two-byte code as
  // lead << 8 | trail), or 0 when the code page has none.
  std::uint16_t Encode(char16_t c) {
    const std::lock_guard lock(mutex_);
    std::uint16_t& slot = encode_[c];
    if (slot == kUnknown) {
      const char in[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
      char out[4];
      const std::size_t n = Convert(toAnsi_, in, 2, out, sizeof out);
      const auto b0 = static_cast<unsigned char>(out[0]);
      const auto b1 = static_cast<unsigned char>(out[1]);
      slot = n == 1 ? b0 : n == 2 ? static_cast<std::uint16_t>((b0 << 8) | b1) : kNone;
    }
    return slot == kNone ? 0 : slot;
  }

  static DoubleByteTable& Instance() {
    static DoubleByteTable table;
    return table;
  }

 private:
  static constexpr std::uint16_t kUnknown = 0;
  static constexpr std::uint16_t kNone = 0xFFFF;

  DoubleByteTable() {
    toWide_ = ::iconv_open("UTF-16LE", "CP932");
    toAnsi_ = ::iconv_open("CP932", "UTF-16LE");
    if (toWide_ == kNoConverter || toAnsi_ == kNoConverter) {
      std::fputs("qz_platform: iconv has no CP932; double-byte characters will not convert\n", stderr);
    }
  }
  ~DoubleByteTable() {
    if (toWide_ != kNoConverter) ::iconv_close(toWide_);
    if (toAnsi_ != kNoConverter) ::iconv_close(toAnsi_);
  }

  // Bytes written, or 0 when the input does not convert whole.
  static std::size_t Convert(iconv_t cd, const char* in, std::size_t inSize, char* out, std::size_t outSize) {
    if (cd == kNoConverter) return 0;
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in);
    char* dst = out;
    std::size_t srcLeft = inSize;
    std::size_t dstLeft = outSize;
    if (::iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1) || srcLeft != 0) return 0;
    return outSize - dstLeft;
  }

  static inline const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

  std::mutex mutex_;
  iconv_t toWide_;
  iconv_t toAnsi_;
  std::array<char16_t, 65536> decode_{};
  std::array<std::uint16_t, 65536> encode_{};
};

// Bytes to UTF-16; bytes the code page cannot read become U+30FB. A lead
// byte without a valid trail byte is one bad character, and the byte after
// it is read on its own (so a terminating NUL is never swallowed).
std::u16string Decode932(std::string_view bytes, bool* invalid) {
  DoubleByteTable& table = DoubleByteTable::Instance();
  std::u16string out;
  out.reserve(bytes.size());
  bool bad = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      out += static_cast<char16_t>(b);
      continue;
    }
    if (b >= kHalfWidthByte && b <= kHalfWidthByte + (kHalfWidthLast - kHalfWidthFirst)) {
      out += static_cast<char16_t>(kHalfWidthFirst + (b - kHalfWidthByte));
      continue;
    }
    bool single = false;
    for (const SingleByte& s : kSingleBytes) {
      if (s.byte == b) {
        out += s.wide;
        single = true;
      }
    }
    if (single) continue;
    // Only lead bytes are left.
    if (i + 1 < bytes.size() && IsTrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
      const char16_t c = table.Decode(b, static_cast<unsigned char>(bytes[i + 1]));
      out += c != 0 ? c : kDefaultWide;
      bad = bad || c == 0;
      ++i;
    } else {
      out += kDefaultWide;
      bad = true;
    }
  }
  *invalid = bad;
  return out;
}

// The code of one character (0 when none); with noBestFit, only a code that
// reads back as the same character counts.
std::uint16_t EncodeChar932(char16_t c, bool noBestFit) {
  if (c < 0x80) return c;
  if (c >= kHalfWidthFirst && c <= kHalfWidthLast) return static_cast<std::uint16_t>(kHalfWidthByte + (c - kHalfWidthFirst));
  for (const SingleByte& s : kSingleBytes) {
    if (s.wide == c) return s.byte;
  }
  if (c >= 0xD800 && c <= 0xDFFF) return 0;
  DoubleByteTable& table = DoubleByteTable::Instance();
  const std::uint16_t code = table.Encode(c);
  if (code == 0 || !noBestFit) return code;
  if (code < 0x100) {
    bool invalid = false;
    const char byte = static_cast<char>(code);
    return Decode932(std::string_view(&byte, 1), &invalid) == std::u16string(1, c) ? code : 0;
  }
  return table.Decode(static_cast<unsigned char>(code >> 8), static_cast<unsigned char>(code & 0xFF)) == c ? code : 0;
}

std::string Encode932(std::u16string_view text, DWORD flags, std::string_view defaultChar, bool* usedDefault) {
  std::string out;
  out.reserve(text.size() * 2);
  bool used = false;
  const bool noBestFit = (flags & WC_NO_BEST_FIT_CHARS) != 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    // A surrogate pair is one character, and none of them is in the code page.
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) ++i;
    const std::uint16_t code = EncodeChar932(c, noBestFit);
    if (code == 0 && c != 0) {
      out += defaultChar;
      used = true;
    } else if (code >= 0x100) {
      out += static_cast<char>(code >> 8);
      out += static_cast<char>(code & 0xFF);
    } else {
      out += static_cast<char>(code);
    }
  }
  *usedDefault = used;
  return out;
}

// The caller's default character: one character of the code page (a lead
// byte takes its trail byte along), '?' when none is given.
std::string DefaultCharOf(LPCCH given) {
  if (given == nullptr || *given == '\0') return std::string(1, kDefaultAnsi);
  const auto b = static_cast<unsigned char>(given[0]);
  if (IsLeadByte(b) && IsTrailByte(static_cast<unsigned char>(given[1]))) return std::string(given, 2);
  return std::string(1, given[0]);
}

// The size query and buffer rules shared by both directions.
template <typename Ch>
int Deliver(const std::basic_string<Ch>& result, Ch* buffer, int capacity) {
  const auto size = static_cast<int>(result.size());
  if (capacity == 0) return size;
  if (size > capacity) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(buffer, result.data(), result.size() * sizeof(Ch));
  return size;
}

int Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

}  // namespace

}  // namespace host::detail

using host::detail::Codec;

UINT GetACP() { return host::detail::kCodePage932; }

int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCCH lpMultiByteStr, int cbMultiByte, LPWSTR lpWideCharStr,
                        int cchWideChar) {
  const auto codec = host::detail::CodecOf(CodePage);
  if (!codec || lpMultiByteStr == nullptr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
      (cchWideChar > 0 && lpWideCharStr == nullptr)) {
    return host::detail::Fail(ERROR_INVALID_PARAMETER);
  }
  const DWORD allowed = *codec == Codec::Utf8 ? MB_ERR_INVALID_CHARS : host::detail::kMbFlags932;
  if ((dwFlags & ~allowed) != 0) return host::detail::Fail(ERROR_INVALID_FLAGS);

  // -1: the string and its terminating NUL.
  const std::size_t length =
      cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<std::size_t>(cbMultiByte);
  const std::string_view bytes(lpMultiByteStr, length);
  bool invalid = false;
  const std::u16string wide = *codec == Codec::Utf8 ? host::detail::Utf8ToUtf16(bytes, &invalid)
                                                    : host::detail::Decode932(bytes, &invalid);
  if (invalid && (dwFlags & MB_ERR_INVALID_CHARS) != 0) return host::detail::Fail(ERROR_NO_UNICODE_TRANSLATION);
  return host::detail::Deliver(wide, lpWideCharStr, cchWideChar);
}

int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWCH lpWideCharStr, int cchWideChar, LPSTR lpMultiByteStr,
                        int cbMultiByte, LPCCH lpDefaultChar, LPBOOL lpUsedDefaultChar) {
  const auto codec = host::detail::CodecOf(CodePage);
  if (!codec || lpWideCharStr == nullptr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
      (cbMultiByte > 0 && lpMultiByteStr == nullptr)) {
    return host::detail::Fail(ERROR_INVALID_PARAMETER);
  }
  const std::size_t length = cchWideChar == -1 ? host::detail::WideLength(lpWideCharStr) + 1
                                               : static_cast<std::size_t>(cchWideChar);
  const std::u16string_view wide(lpWideCharStr, length);
  std::string bytes;
  if (*codec == Codec::Utf8) {
    // UTF-8 holds every character: no default character applies.
    if (lpDefaultChar != nullptr || lpUsedDefaultChar != nullptr) return host::detail::Fail(ERROR_INVALID_PARAMETER);
    if ((dwFlags & ~host::detail::kWcErrInvalidChars) != 0) return host::detail::Fail(ERROR_INVALID_FLAGS);
    bool invalid = false;
    bytes = host::detail::Utf16ToUtf8(wide, &invalid);
    if (invalid && (dwFlags & host::detail::kWcErrInvalidChars) != 0) {
      return host::detail::Fail(ERROR_NO_UNICODE_TRANSLATION);
    }
  } else {
    bool used = false;
    bytes = host::detail::Encode932(wide, dwFlags, host::detail::DefaultCharOf(lpDefaultChar), &used);
    if (lpUsedDefaultChar != nullptr) *lpUsedDefaultChar = used ? TRUE : FALSE;
  }
  return host::detail::Deliver(bytes, lpMultiByteStr, cbMultiByte);
}
