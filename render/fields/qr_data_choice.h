// Where the data of a 2D code field comes from: a short field text names a
// data file in the driver folder, whose content then replaces the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/win.h"

namespace render::fields {

inline constexpr std::size_t kQrMaxNameLength = 30;   // bytes of a data file's name
inline constexpr std::size_t kQrMaxFileSize = 3000;   // bytes of a data file
inline constexpr std::size_t kQrDataPathCapacity = MAX_PATH;

// True when the field text is short enough to name a data file; the caller
// then builds the path and tries to open it. A longer text is the data.
bool QrTextNamesDataFile(std::string_view text);

// True when a data file of `fileSize` bytes may replace the text.
bool QrFileReplacesData(std::uint64_t fileSize);

// The data of the field: `text` unless it names a file that opened
// (`fileContent` set, the whole file) and is at most kQrMaxFileSize bytes.
// The file's data ends at its first zero byte. A file without data (empty,
// or starting with a zero byte) leaves the text as the data rather than
// sending a code with nothing in it.
std::string_view ChooseQrData(std::string_view text, std::optional<std::string_view> fileContent);

// Builds "<driverDir><name>.C2D" into `out` with its NUL; `driverDir` ends
// in a backslash. `name` is the field text in UTF-16. Returns ERROR_SUCCESS;
// ERROR_INVALID_PARAMETER for an empty name or a missing buffer;
// ERROR_INSUFFICIENT_BUFFER when the path is longer than MAX_PATH - 1
// characters or does not fit `outSize`. On failure `out` holds an empty
// string when it has room for one.
DWORD BuildQrDataPath(std::basic_string_view<WCHAR> driverDir, std::basic_string_view<WCHAR> name, WCHAR* out,
                      std::size_t outSize);

}  // namespace render::fields
