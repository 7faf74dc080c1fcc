// UTF-8 and UTF-16 conversion, and the case folding of names that Windows
// compares without regard to case.
#include <cstddef>

#include "host_internal.h"

namespace host::detail {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<char16_t>(cp);
  } else {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  }
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// One lower-case range and the distance to its upper-case partner.
struct FoldRange {
  char16_t first;
  char16_t last;
  char16_t delta;
};
// ASCII, Latin-1, Greek, Cyrillic and the full-width Latin letters: the
// letters that occur in key, value and printer names.
constexpr FoldRange kFoldRanges[] = {
    {u'a', u'z', 0x20},     {0x00E0, 0x00F6, 0x20}, {0x00F8, 0x00FE, 0x20}, {0x03B1, 0x03C1, 0x20},
    {0x03C3, 0x03C9, 0x20}, {0x0430, 0x044F, 0x20}, {0x0450, 0x045F, 0x50}, {0xFF41, 0xFF5A, 0x20},
};

char16_t FoldChar(char16_t c) {
  for (const FoldRange& range : kFoldRanges) {
    if (c >= range.first && c <= range.last) return static_cast<char16_t>(c - range.delta);
  }
  return c;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8, bool* invalid) {
  std::u16string out;
  out.reserve(utf8.size());
  bool bad = false;
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      out += static_cast<char16_t>(lead);
      ++i;
      continue;
    }
    std::size_t length = 0;
    char32_t cp = 0;
    unsigned char low = 0x80;  // allowed range of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      cp = lead & 0x0F;
      if (lead == 0xE0) low = 0xA0;   // no overlong forms
      if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      cp = lead & 0x07;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    }
    if (length == 0) {
      out += kReplacement;
      bad = true;
      ++i;
      continue;
    }
    std::size_t k = 1;
    for (; k < length && i + k < utf8.size(); ++k) {
      const auto b = static_cast<unsigned char>(utf8[i + k]);
      const unsigned char lo = k == 1 ? low : 0x80;
      const unsigned char hi = k == 1 ? high : 0xBF;
      if (b < lo || b > hi) break;
      cp = (cp << 6) | (b & 0x3F);
    }
    if (k < length) {
      // The maximal valid prefix becomes one replacement character.
      out += kReplacement;
      bad = true;
      i += k;
      continue;
    }
    AppendUtf16(out, cp);
    i += length;
  }
  if (invalid != nullptr) *invalid = bad;
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16, bool* invalid) {
  std::string out;
  out.reserve(utf16.size());
  bool bad = false;
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    const char16_t c = utf16[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (utf16[i + 1] - 0xDC00));
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      AppendUtf8(out, kReplacement);
      bad = true;
    } else {
      AppendUtf8(out, c);
    }
  }
  if (invalid != nullptr) *invalid = bad;
  return out;
}

std::u16string FoldCase(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = FoldChar(c);
  return out;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldChar(a[i]) != FoldChar(b[i])) return false;
  }
  return true;
}

std::size_t WideLength(const WCHAR* text) { return text == nullptr ? 0 : std::u16string_view(text).size(); }

}  // namespace host::detail

namespace host {

std::u16string Widen(std::string_view utf8) { return detail::Utf8ToUtf16(utf8, nullptr); }

std::string Narrow(std::u16string_view utf16) { return detail::Utf16ToUtf8(utf16, nullptr); }

}  // namespace host
