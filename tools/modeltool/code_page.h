// Paper names between the UTF-8 of a model description and the code page
// 932 bytes of a model data file.
//
// In a description a name is written in double quotes; \" and \\ stand for
// a quote and a backslash, and \xNN for one raw byte that is written as is.
// Everything else is UTF-8 text converted with the system ANSI code page.
#pragma once

#include <string>
#include <string_view>

namespace modeltool {

struct AnsiName {
  std::string bytes;  // code page 932
  std::string error;  // empty when the conversion succeeded
};

// The bytes of a quoted name's contents (without the quotes), escapes
// resolved.
AnsiName QuotedToAnsi(std::string_view quoted);

// The same for a bare name: plain UTF-8, no escapes.
AnsiName TextToAnsi(std::string_view utf8);

// A quoted name (with the quotes) that QuotedToAnsi turns back into exactly
// `ansi`: characters that survive the round trip through UTF-16 as
// readable text, the rest as \xNN.
std::string AnsiToQuoted(std::string_view ansi);

}  // namespace modeltool
