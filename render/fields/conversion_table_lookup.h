// Looking a value up in a conversion table, and the path of a table file.
//
// A table is single-byte text, one "key,text" line per row, every line
// ending in CR LF. The caller maps the file read-only and passes its bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "platform/win.h"

namespace render::fields {

inline constexpr int kFirstTableKind = 1;  // .TB1, years
inline constexpr int kLastTableKind = 7;   // .TB7, month-day

// Paths are held in slots of MAX_PATH characters, terminating NUL included.
inline constexpr std::size_t kTablePathCapacity = MAX_PATH;

// The value stored for `key`: the first line that begins with the key is
// the match, and its value is the text after the first ',' of that line up
// to the line's CR LF. No value when no line begins with the key, when the
// matching line has no ',' or no CR LF after it (an unfinished last line),
// or when the text is empty. Only CR LF ends a line. The view points into
// `table`.
std::optional<std::string_view> LookUpTableValue(std::string_view table, std::string_view key);

// The same lookup in the shape of a calendar table callback: on a value,
// copies at most `outSize` bytes of it to `out`, stores the value's full
// length in *outLen (which may exceed outSize) and returns true.
bool CopyTableValue(std::string_view table, std::string_view key, char* out, std::size_t outSize,
                    std::size_t* outLen);

// Builds "<tableDir>\<name>.TB<kind>" into `out` with its NUL. An empty
// tableDir gives "\<name>.TB<kind>", the root of the current drive.
// Returns ERROR_SUCCESS; ERROR_INVALID_PARAMETER for an empty name, a kind
// outside 1..7 or a missing buffer; ERROR_INSUFFICIENT_BUFFER when the path
// is longer than MAX_PATH - 1 characters or does not fit `outSize`. On
// failure `out` holds an empty string when it has room for one.
DWORD BuildTablePath(std::basic_string_view<WCHAR> tableDir, std::basic_string_view<WCHAR> name,
                     int kind, WCHAR* out, std::size_t outSize);

}  // namespace render::fields
