#include <string>
#include <vector>

#include "host_fixture.h"
#include "platform/win.h"

namespace {

class CodePageTest : public HostTest {};

std::u16string ToWide(UINT codePage, const std::string& bytes, DWORD flags = 0) {
  const int n = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::u16string out(static_cast<std::size_t>(n), u'\0');
  if (n > 0) MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
  return out;
}

std::string ToAnsi(UINT codePage, const std::u16string& text, BOOL* usedDefault = nullptr, DWORD flags = 0) {
  const int n = WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    usedDefault);
  std::string out(static_cast<std::size_t>(n), '\0');
  if (n > 0) {
    WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        usedDefault);
  }
  return out;
}

TEST_F(CodePageTest, SystemCodePageIs932) { EXPECT_EQ(GetACP(), 932u); }

TEST_F(CodePageTest, RoundTrips) {
  struct Case {
    const char* what;
    std::u16string text;
    std::string bytes;
  };
  const Case kCases[] = {
      {"ASCII", u"Label 01", "Label 01"},
      {"half-width katakana", u"ﾗﾍﾞﾙ", "\xD7\xCD\xDE\xD9"},
      {"half-width label name with number", u"ﾗﾍﾞﾙ10", "\xD7\xCD\xDE\xD9" "10"},
      {"kanji", u"漢字", "\x8A\xBF\x8E\x9A"},
      {"full-width katakana", u"ラベル", "\x83\x89\x83\x78\x83\x8B"},
      {"wave dash as Windows maps it", u"\uFF5E", "\x81\x60"},
      {"backslash and tilde stay ASCII", u"\\~", "\\~"},
      {"mixed", u"A漢ｱ1", "A\x8A\xBF\xB1" "1"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    BOOL usedDefault = TRUE;
    EXPECT_EQ(ToAnsi(CP_ACP, c.text, &usedDefault), c.bytes);
    EXPECT_FALSE(usedDefault);
    EXPECT_EQ(ToWide(CP_ACP, c.bytes, MB_ERR_INVALID_CHARS), c.text);
    EXPECT_EQ(ToWide(932, c.bytes), c.text);
  }
}

TEST_F(CodePageTest, EverySingleByteSurvivesARoundTrip) {
  for (int b = 0; b < 256; ++b) {
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    if (lead) continue;
    SCOPED_TRACE(b);
    const std::string byte(1, static_cast<char>(b));
    const std::u16string wide = ToWide(CP_ACP, byte, MB_ERR_INVALID_CHARS);
    ASSERT_EQ(wide.size(), 1u);
    EXPECT_EQ(ToAnsi(CP_ACP, wide), byte);
  }
}

TEST_F(CodePageTest, TerminatedInputCountsItsNul) {
  WCHAR wide[8];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "ab", -1, nullptr, 0), 3);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "ab", -1, wide, 8), 3);
  EXPECT_EQ(wide[2], u'\0');
  char bytes[8];
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"ﾗﾍﾞﾙ", -1, nullptr, 0, nullptr, nullptr), 5);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"ﾗﾍﾞﾙ", -1, bytes, 8, nullptr, nullptr), 5);
  EXPECT_EQ(std::string(bytes), "\xD7\xCD\xDE\xD9");
}

TEST_F(CodePageTest, TooSmallBufferFailsWithInsufficientBuffer) {
  WCHAR wide[2];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 3, wide, 2), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

  // A kanji needs two bytes; room for one is not enough.
  char bytes[1];
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"漢", 1, bytes, 1, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST_F(CodePageTest, UnmappableCharactersBecomeTheDefaultChar) {
  struct Case {
    const char* what;
    std::u16string text;
    DWORD flags;
    std::string bytes;
  };
  const Case kCases[] = {
      {"Latin small a with ring", u"\u00E5", 0, "?"},
      {"Hangul syllable between ASCII", u"a\uAC00b", 0, "a?b"},
      {"character outside the BMP (one ? for the pair)", u"\U0001F600", 0, "?"},
      {"lone surrogate", u"\xD800", 0, "?"},
      {"yen sign without best fit", u"\u00A5", WC_NO_BEST_FIT_CHARS, "?"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    BOOL usedDefault = FALSE;
    EXPECT_EQ(ToAnsi(CP_ACP, c.text, &usedDefault, c.flags), c.bytes);
    EXPECT_TRUE(usedDefault);
  }
  char bytes[4] = {};
  BOOL usedDefault = FALSE;
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"\u00E5", 1, bytes, 4, "*", &usedDefault), 1);
  EXPECT_EQ(bytes[0], '*') << "the caller's default character";
}

TEST_F(CodePageTest, InvalidBytesBecomeKatakanaMiddleDot) {
  struct Case {
    const char* what;
    std::string bytes;
    std::u16string text;
  };
  const Case kCases[] = {
      {"lead byte at the end", "a\x81", u"a\u30FB"},
      {"lead byte before a byte that cannot trail", "\x81 b", u"\u30FB b"},
      {"unassigned pair", "\x85\x40", u"\u30FB"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ToWide(CP_ACP, c.bytes), c.text);
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, c.bytes.data(), static_cast<int>(c.bytes.size()),
                                  nullptr, 0),
              0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
  }
  // A lead byte right before the terminator does not swallow it.
  WCHAR wide[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\x81", -1, wide, 4), 2);
  EXPECT_EQ(wide[0], 0x30FB);
  EXPECT_EQ(wide[1], u'\0');
}

TEST_F(CodePageTest, Utf8) {
  const std::u16string text = u"ラベル \U0001F600 ok";
  const std::string utf8 = ToAnsi(CP_UTF8, text);
  EXPECT_EQ(utf8, "ラベル \xF0\x9F\x98\x80 ok");
  EXPECT_EQ(ToWide(CP_UTF8, utf8, MB_ERR_INVALID_CHARS), text);
  EXPECT_EQ(ToWide(CP_UTF8, "a\xFF" "b"), u"a\uFFFD" "b");
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xC0\xAF", 3, nullptr, 0), 0) << "overlong";

  BOOL usedDefault = FALSE;
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, nullptr, 0, nullptr, &usedDefault), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << "UTF-8 has no default character";
}

TEST_F(CodePageTest, BadArguments) {
  WCHAR wide[4];
  struct Case {
    const char* what;
    UINT codePage;
    const char* input;
    int inputSize;
    int outputSize;
    DWORD error;
  };
  static const Case kCases[] = {
      {"unknown code page", 1252, "a", 1, 4, ERROR_INVALID_PARAMETER},
      {"empty input", CP_ACP, "a", 0, 4, ERROR_INVALID_PARAMETER},
      {"no input", CP_ACP, nullptr, 1, 4, ERROR_INVALID_PARAMETER},
      {"negative size", CP_ACP, "a", -2, 4, ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(c.codePage, 0, c.input, c.inputSize, wide, c.outputSize), 0);
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "a", 1, wide, 4), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
}

TEST_F(CodePageTest, WidenAndNarrow) {
  EXPECT_EQ(host::Widen("ﾗﾍﾞﾙ漢"), u"ﾗﾍﾞﾙ漢");
  EXPECT_EQ(host::Narrow(u"\U0001F600"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(host::Widen("a\xE3\x81"), u"a\uFFFD") << "a cut sequence is one replacement";
  EXPECT_EQ(host::Narrow(u"\xDC00"), "\xEF\xBF\xBD");
}

}  // namespace
